#include "dimlet/TrayWnd.h"

#include "dimlet/AboutDlg.h"
#include "dimlet/DimletApp.h"
#include "dimlet/DisplayPower.h"
#include "dimlet/Language.h"
#include "dimlet/framework/Menu.h"
#include "dimlet/resource.h"

namespace {

constexpr UINT trayIconId = 1;
constexpr UINT_PTR displayOffTimer = 1;
// Long enough for the mouse movement of the click to be over, which would wake the display.
constexpr UINT displayOffDelay = 500;

static_assert(sizeof(NOTIFYICONDATAW) == 976);

} // namespace

void buildTrayMenu(CMenu& menu) {
    CMenu timeouts;
    timeouts.createPopupMenu();
    appendTimeoutItems(timeouts);

    CMenu languages;
    languages.createPopupMenu();
    languages.appendMenu(MF_STRING, ID_LANGUAGE_JAPANESE,
                         loadLocalizedString(IDS_JAPANESE).c_str());
    languages.appendMenu(MF_STRING, ID_LANGUAGE_ENGLISH, loadLocalizedString(IDS_ENGLISH).c_str());
    languages.checkMenuRadioItem(ID_LANGUAGE_JAPANESE, ID_LANGUAGE_ENGLISH,
                                 currentLanguage() == UiLanguage::Japanese ? ID_LANGUAGE_JAPANESE
                                                                           : ID_LANGUAGE_ENGLISH);

    menu.createPopupMenu();
    menu.appendMenu(MF_STRING, ID_DISPLAY_OFF, loadLocalizedString(IDS_DISPLAY_OFF).c_str());
    menu.appendPopup(timeouts, loadLocalizedString(IDS_CHANGE_SETTING).c_str());
    menu.appendPopup(languages, loadLocalizedString(IDS_LANGUAGE).c_str());
    menu.appendMenu(MF_SEPARATOR, 0, nullptr);
    menu.appendMenu(MF_STRING | MF_GRAYED, ID_CHECK_UPDATES,
                    loadLocalizedString(IDS_CHECK_UPDATES).c_str());
    menu.appendMenu(MF_STRING, ID_APP_ABOUT, loadLocalizedString(IDS_ABOUT).c_str());
    menu.appendMenu(MF_SEPARATOR, 0, nullptr);
    menu.appendMenu(MF_STRING, ID_APP_EXIT, loadLocalizedString(IDS_EXIT).c_str());
}

bool CTrayWnd::create() {
    return createEx(0, registerWindowClass(), L"Dimlet", WS_POPUP, RECT{}, nullptr, nullptr);
}

const MessageMap& CTrayWnd::messageMap() const {
    static const MessageEntry entries[] = {
        onMessage(WM_CREATE, &CTrayWnd::onCreate),
        onMessage(WM_DESTROY, &CTrayWnd::onDestroy),
        onRegisteredMessage(taskbarCreatedMessage, &CTrayWnd::onTaskbarCreated),
        onMessage(trayCallbackMessage, &CTrayWnd::onNotifyIcon),
        onMessage(WM_TIMER, &CTrayWnd::onTimer),
        onCommand(ID_DISPLAY_OFF, &CTrayWnd::onDisplayOff),
        onCommandRange(ID_TIMEOUT_FIRST, ID_TIMEOUT_LAST, &CTrayWnd::onTimeout),
        onCommand(ID_CHECK_UPDATES, &CTrayWnd::onCheckUpdates),
        onCommand(ID_APP_ABOUT, &CTrayWnd::onAbout),
        onCommand(ID_APP_EXIT, &CTrayWnd::onExit),
        onCommandRange(ID_LANGUAGE_JAPANESE, ID_LANGUAGE_ENGLISH, &CTrayWnd::onLanguage),
    };
    static const MessageMap map{&CWnd::messageMap(), entries};
    return map;
}

LRESULT CTrayWnd::onCreate(WPARAM, LPARAM) {
    if (defaultProc() == -1)
        return -1;
    icon.reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    notifyIcon.cbSize = sizeof(notifyIcon);
    notifyIcon.hWnd = handle();
    notifyIcon.uID = trayIconId;
    notifyIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    notifyIcon.uCallbackMessage = trayCallbackMessage;
    notifyIcon.hIcon = icon.get();
    wcsncpy_s(notifyIcon.szTip, std::size(notifyIcon.szTip), L"Dimlet", _TRUNCATE);
    Shell_NotifyIconW(NIM_ADD, &notifyIcon);
    return 0;
}

LRESULT CTrayWnd::onDestroy(WPARAM, LPARAM) {
    Shell_NotifyIconW(NIM_DELETE, &notifyIcon);
    const LRESULT result = defaultProc();
    PostQuitMessage(0);
    return result;
}

LRESULT CTrayWnd::onTaskbarCreated(WPARAM, LPARAM) {
    Shell_NotifyIconW(NIM_ADD, &notifyIcon);
    return 0;
}

LRESULT CTrayWnd::onNotifyIcon(WPARAM, LPARAM lParam) {
    const UINT event = LOWORD(lParam);
    if (event == WM_RBUTTONUP || event == WM_CONTEXTMENU)
        showMenu();
    return 0;
}

void CTrayWnd::showMenu() {
    CMenu menu;
    buildTrayMenu(menu);
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close on a click elsewhere.
    setForegroundWindow();
    menu.trackPopupMenu(TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, cursor.x, cursor.y, *this);
    postMessage(WM_NULL, 0, 0);
}

LRESULT CTrayWnd::onTimer(WPARAM id, LPARAM) {
    if (id == displayOffTimer) {
        killTimer(displayOffTimer);
        postMessage(WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    }
    return defaultProc();
}

void CTrayWnd::onDisplayOff(UINT) {
    setTimer(displayOffTimer, displayOffDelay);
}

void CTrayWnd::onTimeout(UINT id) {
    const size_t index = id - ID_TIMEOUT_FIRST;
    if (index >= displayOffTimeouts.size())
        return;
    if (!applyDisplayOffTimeout(index))
        messageBox(loadLocalizedString(IDS_POWER_CHANGE_FAILED).c_str(), L"Dimlet",
                   MB_ICONERROR | MB_OK);
}

void CTrayWnd::onCheckUpdates(UINT) {
    messageBox(loadLocalizedString(IDS_UPDATE_NOT_CONFIGURED).c_str(), L"Dimlet",
               MB_ICONINFORMATION | MB_OK);
}

void CTrayWnd::onAbout(UINT) {
    // One About box at a time: a second request brings the open one forward.
    if (openAbout) {
        SetForegroundWindow(openAbout->handle());
        return;
    }
    setForegroundWindow();
    CAboutDlg about;
    openAbout = &about;
    about.doModal();
    openAbout = nullptr;
}

void CTrayWnd::onExit(UINT) {
    destroyWindow();
}

void CTrayWnd::onLanguage(UINT id) {
    const UiLanguage chosen =
        id == ID_LANGUAGE_JAPANESE ? UiLanguage::Japanese : UiLanguage::English;
    if (currentLanguage() != chosen)
        setLanguage(chosen);
}

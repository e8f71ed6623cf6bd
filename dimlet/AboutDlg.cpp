#include "dimlet/AboutDlg.h"

#include "dimlet/Language.h"
#include "dimlet/VersionInfo.h"
#include "dimlet/resource.h"

#include <shellapi.h>

const wchar_t makerWebPage[] = L"https://velkor.example/";

namespace {

constexpr wchar_t productName[] = L"Dimlet";
constexpr COLORREF linkColour = RGB(0, 0, 255);
constexpr COLORREF logoTransparent = RGB(255, 0, 255);
// Below the icon, beside the text lines, in dialog units.
constexpr RECT logoArea = {8, 47, 56, 101};

} // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

const MessageMap& CAboutDlg::messageMap() const {
    static const MessageEntry entries[] = {
        onMessage(WM_PAINT, &CAboutDlg::onPaint),
        onMessage(WM_CTLCOLORSTATIC, &CAboutDlg::onCtlColorStatic),
        onMessage(WM_SETCURSOR, &CAboutDlg::onSetCursor),
        onCommand(IDC_LINK, &CAboutDlg::onLinkClicked),
    };
    static const MessageMap map{&CDialog::messageMap(), entries};
    return map;
}

bool CAboutDlg::onInitDialog() {
    CDialog::onInitDialog();
    setWindowText(formatLocalizedString(IDS_ABOUT_CAPTION, productName).c_str());
    setDlgItemText(IDC_PRODUCT, productName);
    const std::wstring path = ownExecutablePath();
    if (const std::wstring version = fileVersionText(path); !version.empty())
        setDlgItemText(IDC_VERSION, formatLocalizedString(IDS_VERSION_LINE, version).c_str());
    setDlgItemText(IDC_COPYRIGHT, legalCopyright(path).c_str());
    setDlgItemText(IDC_MAKER, loadLocalizedString(IDS_MAKER).c_str());
    setDlgItemText(IDC_LINK, makerWebPage);
    createFonts();
    logo.loadBitmap(IDB_LOGO);
    return true;
}

void CAboutDlg::createFonts() {
    LOGFONTW font{};
    HGDIOBJ dialogFont = reinterpret_cast<HGDIOBJ>(SendMessageW(handle(), WM_GETFONT, 0, 0));
    if (!dialogFont)
        dialogFont = GetStockObject(DEFAULT_GUI_FONT);
    if (GetObjectW(dialogFont, sizeof(font), &font) != sizeof(font))
        return;

    LOGFONTW underlined = font;
    underlined.lfUnderline = TRUE;
    if (linkFont.createFontIndirect(underlined))
        SendMessageW(dlgItem(IDC_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont.font()),
                     TRUE);

    LOGFONTW title = font;
    title.lfHeight = -MulDiv(16, static_cast<int>(GetDpiForWindow(handle())), 72);
    title.lfWidth = 0;
    title.lfUnderline = FALSE;
    if (titleFont.createFontIndirect(title))
        SendMessageW(dlgItem(IDC_PRODUCT), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont.font()),
                     TRUE);
}

LRESULT CAboutDlg::onPaint(WPARAM, LPARAM) {
    BITMAP picture{};
    if (IsIconic(handle()) || !logo.getBitmap(picture))
        return defaultProc();
    CPaintDC dc(*this);
    RECT area = logoArea;
    mapDialogRect(area);
    CMemoryDC memory(dc);
    const HGDIOBJ previous = memory.selectObject(logo.handle());
    TransparentBlt(dc.handle(), area.left, area.top, area.right - area.left, area.bottom - area.top,
                   memory.handle(), 0, 0, picture.bmWidth, picture.bmHeight, logoTransparent);
    memory.selectObject(previous);
    return 0;
}

LRESULT CAboutDlg::onCtlColorStatic(WPARAM dc, LPARAM control) {
    const LRESULT brush = defaultProc();
    if (reinterpret_cast<HWND>(control) == dlgItem(IDC_LINK))
        CDC(reinterpret_cast<HDC>(dc)).setTextColor(linkColour);
    return brush;
}

LRESULT CAboutDlg::onSetCursor(WPARAM window, LPARAM) {
    if (window == 0 || reinterpret_cast<HWND>(window) != dlgItem(IDC_LINK))
        return defaultProc();
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

void CAboutDlg::onLinkClicked(UINT) {
    ShellExecuteW(handle(), L"open", makerWebPage, nullptr, nullptr, SW_SHOWNORMAL);
}

#include "dimlet/framework/Wnd.h"

#include "dimlet/framework/WinApp.h"

#include <cstdio>
#include <utility>

namespace {

// The object whose window is being created on this thread; it is attached on the window's
// first message, which arrives before CreateWindowExW returns.
thread_local CWnd* windowBeingCreated = nullptr;

CWnd* attachedWindow(HWND hwnd) {
    return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace

CWnd::~CWnd() {
    if (hwnd) {
        // The derived parts are gone: let the remaining messages take the default path.
        const HWND window = hwnd;
        detach();
        DestroyWindow(window);
    }
}

std::wstring CWnd::registerWindowClass(UINT classStyle, HCURSOR cursor, HBRUSH background,
                                       HICON icon) {
    wchar_t name[96];
    std::swprintf(name, std::size(name), L"Dimlet:%x:%p:%p:%p", classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background),
                  static_cast<void*>(icon));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name, &existing))
        return name;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass))
        return {};
    return name;
}

bool CWnd::createEx(DWORD exStyle, const std::wstring& className, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, HMENU menu) {
    if (hwnd || className.empty())
        return false;
    windowBeingCreated = this;
    creating = true;
    const HWND made = CreateWindowExW(exStyle, className.c_str(), title, style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, parent, menu,
                                      GetModuleHandleW(nullptr), nullptr);
    creating = false;
    windowBeingCreated = nullptr;
    return made != nullptr && hwnd == made;
}

bool CWnd::destroyWindow() {
    return hwnd && DestroyWindow(hwnd);
}

bool CWnd::setForegroundWindow() {
    return hwnd && SetForegroundWindow(hwnd);
}

int CWnd::messageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(hwnd, text, caption, type);
}

const MessageMap& CWnd::messageMap() const {
    static const MessageMap map{};
    return map;
}

LRESULT CWnd::defaultProc() {
    return CallWindowProcW(superProc, hwnd, current.message, current.wParam, current.lParam);
}

LRESULT CALLBACK CWnd::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = attachedWindow(hwnd);
    if (!wnd && windowBeingCreated) {
        wnd = std::exchange(windowBeingCreated, nullptr);
        wnd->attach(hwnd, DefWindowProcW);
    }
    if (!wnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return wnd->handleMessage(message, wParam, lParam);
}

void CWnd::attach(HWND window, WNDPROC previousProc) {
    hwnd = window;
    superProc = previousProc;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::detach() {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (superProc != DefWindowProcW)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc));
    superProc = DefWindowProcW;
    hwnd = nullptr;
    if (CWinApp* app = CWinApp::current(); app && app->mainWindow() == this)
        app->setMainWindow(nullptr);
}

LRESULT CWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Handlers may send messages to their own window: keep the outer message for defaultProc.
    const CurrentMessage outer = std::exchange(current, {message, wParam, lParam});
    ++depth;
    LRESULT result = 0;
    if (!dispatch(message, wParam, lParam, result))
        result = defaultProc();
    current = outer;

    if (message == WM_NCDESTROY) {
        detach();
        // A window that died inside createEx stays with the caller, who learns of it there.
        destroyedUnderway = !creating;
    }
    // A window destroyed from a nested message loop (a modal box that one of its own handlers
    // runs) is let go only once that handler has returned, which may still use the object.
    if (--depth == 0 && std::exchange(destroyedUnderway, false))
        postNcDestroy();
    return result;
}

bool CWnd::dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT id = LOWORD(wParam);
    // Menus and accelerators both carry no control window.
    const UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    for (const MessageMap* map = &messageMap(); map; map = map->base) {
        for (const MessageEntry& entry : map->entries) {
            if (entry.onCommand) {
                if (message == WM_COMMAND && code == 0 && id >= entry.firstId &&
                    id <= entry.lastId) {
                    (this->*entry.onCommand)(id);
                    result = 0;
                    return true;
                }
                continue;
            }
            const UINT wanted = entry.registered ? *entry.registered : entry.message;
            if (entry.registered && wanted == 0)
                continue; // registration failed; never mistake it for WM_NULL
            if (message == wanted) {
                result = (this->*entry.onMessage)(wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

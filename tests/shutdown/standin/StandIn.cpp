// Stands in for a browser process. Built once per browser image name; the
// argument picks the behaviour:
//   close   a visible window that closes on WM_CLOSE (exit code 0)
//   ignore  a visible window that ignores WM_CLOSE
//   hidden  only a hidden window, which would close on WM_CLOSE
#include <windows.h>

#include <string>

namespace {

bool ignoreClose = false;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        if (ignoreClose)
            return 0;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const std::wstring mode = __argc >= 2 ? __wargv[1] : L"";
    if (mode != L"close" && mode != L"ignore" && mode != L"hidden")
        return 2;
    ignoreClose = mode == L"ignore";

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"PinvaneStandIn";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, windowClass.lpszClassName, L"Stand-in",
                        WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 3;
    // Never activated: under Wine, destroying an active window waits about 2 s
    // for the X server when no window manager runs.
    if (mode != L"hidden")
        ShowWindow(window, SW_SHOWNOACTIVATE);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

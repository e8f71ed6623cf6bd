#pragma once

#include "dimlet/framework/MessageMap.h"

#include <windows.h>

#include <string>

// A window whose messages are routed through the message maps of its class and its bases;
// anything they do not handle gets the default processing.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND handle() const { return hwnd; }

    // A class with this window procedure; the same arguments give the same class.
    static std::wstring registerWindowClass(UINT classStyle = 0, HCURSOR cursor = nullptr,
                                            HBRUSH background = nullptr, HICON icon = nullptr);

    // False when the window could not be made; the object is then untouched and still the
    // caller's, even when it was destroyed during creation (WM_CREATE returning -1).
    bool createEx(DWORD exStyle, const std::wstring& className, const wchar_t* title, DWORD style,
                  const RECT& rect, HWND parent, HMENU menu);
    bool destroyWindow();
    bool setForegroundWindow();
    int messageBox(const wchar_t* text, const wchar_t* caption, UINT type);
    // A timer without a callback: it arrives as WM_TIMER. Setting it again restarts it.
    bool setTimer(UINT_PTR id, UINT milliseconds) {
        return hwnd && SetTimer(hwnd, id, milliseconds, nullptr);
    }
    bool killTimer(UINT_PTR id) { return hwnd && KillTimer(hwnd, id); }
    bool postMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return hwnd && PostMessageW(hwnd, message, wParam, lParam);
    }
    bool setWindowText(const wchar_t* text) { return hwnd && SetWindowTextW(hwnd, text); }
    HWND dlgItem(int id) const { return hwnd ? GetDlgItem(hwnd, id) : nullptr; }
    bool setDlgItemText(int id, const wchar_t* text) {
        return hwnd && SetDlgItemTextW(hwnd, id, text);
    }

protected:
    virtual const MessageMap& messageMap() const;
    // The default processing of the message being handled.
    LRESULT defaultProc();
    // Called once the window is gone (after WM_NCDESTROY); the object may delete itself here.
    virtual void postNcDestroy() {}

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void attach(HWND window, WNDPROC previousProc);

private:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void detach();

    HWND hwnd = nullptr;
    WNDPROC superProc = DefWindowProcW;
    CurrentMessage current;
    bool creating = false;
    int depth = 0;
    bool destroyedUnderway = false;
};

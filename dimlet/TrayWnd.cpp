#include "dimlet/TrayWnd.h"

bool CTrayWnd::create() {
    return createEx(0, registerWindowClass(), L"Dimlet", WS_POPUP, RECT{}, nullptr, nullptr);
}

const MessageMap& CTrayWnd::messageMap() const {
    static const MessageEntry entries[] = {
        onMessage(WM_DESTROY, &CTrayWnd::onDestroy),
    };
    static const MessageMap map{&CWnd::messageMap(), entries};
    return map;
}

LRESULT CTrayWnd::onDestroy(WPARAM, LPARAM) {
    const LRESULT result = defaultProc();
    PostQuitMessage(0);
    return result;
}

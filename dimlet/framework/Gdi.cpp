#include "dimlet/framework/Gdi.h"

#include "dimlet/framework/WinApp.h"
#include "dimlet/framework/Wnd.h"

bool CBitmap::loadBitmap(UINT id) {
    attach(LoadBitmapW(resourceHandle(), MAKEINTRESOURCEW(id)));
    return handle() != nullptr;
}

CPaintDC::CPaintDC(CWnd& window) : CDC(nullptr), hwnd(window.handle()) {
    hdc = BeginPaint(hwnd, &paint);
}

CPaintDC::~CPaintDC() {
    EndPaint(hwnd, &paint);
}

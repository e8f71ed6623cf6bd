#include "dimlet/framework/Dialog.h"

#include "dimlet/framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId(templateId), parent(parent) {}

INT_PTR CDialog::doModal() {
    HWND owner = parent ? parent->handle() : nullptr;
    if (!owner)
        if (CWinApp* app = CWinApp::current(); app && app->mainWindow())
            owner = app->mainWindow()->handle();
    return DialogBoxParamW(resourceHandle(), MAKEINTRESOURCEW(templateId), owner, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::endDialog(INT_PTR result) {
    EndDialog(handle(), result);
}

const MessageMap& CDialog::messageMap() const {
    static const MessageEntry entries[] = {
        ::onMessage(WM_INITDIALOG, &CDialog::handleInitDialog),
        ::onCommand(IDOK, &CDialog::handleOK),
        ::onCommand(IDCANCEL, &CDialog::handleCancel),
    };
    static const MessageMap map{&CWnd::messageMap(), entries};
    return map;
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Everything after WM_INITDIALOG reaches the subclassed procedure first; the dialog
    // manager only calls back here for its default processing, which this adds nothing to.
    if (message != WM_INITDIALOG || GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0)
        return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    const auto managerProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    dialog->attach(hwnd, managerProc);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::windowProc));
    return CWnd::windowProc(hwnd, message, wParam, lParam);
}

LRESULT CDialog::handleInitDialog(WPARAM, LPARAM) {
    return onInitDialog() ? TRUE : FALSE;
}

void CDialog::handleOK(UINT) {
    onOK();
}

void CDialog::handleCancel(UINT) {
    onCancel();
}

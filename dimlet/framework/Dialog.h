#pragma once

#include "dimlet/framework/Wnd.h"

// A modal dialog on a template from the resource module. Its window is subclassed once the
// dialog manager has made it, so the message maps work as for any CWnd and the default
// processing is the dialog manager's.
class CDialog : public CWnd {
public:
    // Without a parent the application's main window owns the dialog.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Returns the value given to endDialog, or -1 when the dialog could not be shown.
    INT_PTR doModal();
    void endDialog(INT_PTR result);
    // Dialog units of this dialog's template font to pixels.
    bool mapDialogRect(RECT& rect) const { return MapDialogRect(handle(), &rect); }

protected:
    // The initialisation hook; true lets the dialog manager focus the default control.
    virtual bool onInitDialog() { return true; }
    virtual void onOK() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }

    const MessageMap& messageMap() const override;

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleInitDialog(WPARAM, LPARAM);
    void handleOK(UINT);
    void handleCancel(UINT);

    UINT templateId;
    CWnd* parent;
};

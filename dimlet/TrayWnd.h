#pragma once

#include "dimlet/framework/Wnd.h"

// Dimlet's one window: hidden, and its destruction ends the message loop.
class CTrayWnd : public CWnd {
public:
    bool create();

protected:
    const MessageMap& messageMap() const override;
    void postNcDestroy() override { delete this; }

private:
    LRESULT onDestroy(WPARAM, LPARAM);
};

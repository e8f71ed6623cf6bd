#pragma once

#include "dimlet/framework/Dialog.h"
#include "dimlet/framework/Gdi.h"

// The maker's web page: the link's text and where it leads.
extern const wchar_t makerWebPage[];

// The About box: product, version, legal notice, maker, logo and the link to the maker.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    bool onInitDialog() override;
    const MessageMap& messageMap() const override;

private:
    LRESULT onPaint(WPARAM, LPARAM);
    LRESULT onCtlColorStatic(WPARAM dc, LPARAM control);
    LRESULT onSetCursor(WPARAM window, LPARAM);
    void onLinkClicked(UINT);
    void createFonts();

    CFont titleFont;
    CFont linkFont;
    CBitmap logo;
};

#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

class CWnd;

// Owns a menu and destroys it when destroyed. A popup appended to another menu belongs to
// that menu from then on (DestroyMenu takes submenus with it), so it is no longer destroyed
// here.
class CMenu {
public:
    HMENU handle() const { return menu; }

    bool createPopupMenu();
    bool appendMenu(UINT flags, UINT_PTR id, const wchar_t* text);
    bool appendPopup(CMenu& popup, const wchar_t* text);
    bool checkMenuRadioItem(UINT first, UINT last, UINT checked);
    // The chosen command comes back to the owner as WM_COMMAND.
    bool trackPopupMenu(UINT flags, int x, int y, CWnd& owner);
    void destroyMenu();

private:
    HMENU menu = nullptr;
    MenuHandle owner; // empty once the menu belongs to another one
};

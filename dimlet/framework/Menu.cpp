#include "dimlet/framework/Menu.h"

#include "dimlet/framework/Wnd.h"

bool CMenu::createPopupMenu() {
    owner.reset(CreatePopupMenu());
    menu = owner.get();
    return menu != nullptr;
}

bool CMenu::appendMenu(UINT flags, UINT_PTR id, const wchar_t* text) {
    return AppendMenuW(menu, flags, id, text);
}

bool CMenu::appendPopup(CMenu& popup, const wchar_t* text) {
    if (!AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup.handle()), text))
        return false;
    (void)popup.owner.release(); // destroyed with this menu from now on
    return true;
}

bool CMenu::checkMenuRadioItem(UINT first, UINT last, UINT checked) {
    return CheckMenuRadioItem(menu, first, last, checked, MF_BYCOMMAND);
}

bool CMenu::trackPopupMenu(UINT flags, int x, int y, CWnd& owner) {
    return TrackPopupMenu(menu, flags, x, y, 0, owner.handle(), nullptr);
}

void CMenu::destroyMenu() {
    owner.reset();
    menu = nullptr;
}

#include "pinvane/support/BrowserTable.h"

#include <windows.h>

const std::array<BrowserId, 3> BrowserTable = {{
    {L"Edge", L"msedge.exe"},
    {L"Chrome", L"chrome.exe"},
    {L"Firefox", L"firefox.exe"},
}};

bool dialogsEnabled = true;

bool userUiIsJapanese() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

// The tray menu and the display-off timeout in this process, against the power stand-in:
// Wine keeps a menu's items inside the process that made it.

#include "dimlet/DisplayPower.h"
#include "dimlet/Language.h"
#include "dimlet/TrayWnd.h"
#include "dimlet/framework/Menu.h"
#include "dimlet/resource.h"
#include "tests/dimlet/DimletDriver.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dimlettest;

namespace {

struct Item {
    UINT id = 0;
    std::wstring text;
    bool separator = false;
    bool grayed = false;
    bool checked = false;
    bool radio = false;
    HMENU submenu = nullptr;
};

std::vector<Item> itemsOf(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = std::size(text);
        GetMenuItemInfoW(menu, i, TRUE, &info);
        items.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0,
                         (info.fState & MFS_GRAYED) != 0, (info.fState & MFS_CHECKED) != 0,
                         (info.fType & MFT_RADIOCHECK) != 0, info.hSubMenu});
    }
    return items;
}

// The one checked item's id, 0 for none; every checked item must carry the radio mark.
UINT checkedId(HMENU menu) {
    UINT found = 0;
    for (const Item& item : itemsOf(menu)) {
        if (!item.checked)
            continue;
        EXPECT_TRUE(item.radio) << item.id;
        EXPECT_EQ(found, 0u) << "two marks";
        found = item.id;
    }
    return found;
}

BYTE acLineStatus = 1;
bool powerStatusFails = false;
BOOL WINAPI injectedPowerStatus(LPSYSTEM_POWER_STATUS status) {
    if (powerStatusFails)
        return FALSE;
    *status = {};
    status->ACLineStatus = acLineStatus;
    return TRUE;
}

// Dimlet's strings, a chosen power status and a fresh stand-in for each case.
class TrayMenu : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(resources.module(), nullptr);
        ASSERT_NE(GetProcAddress(GetModuleHandleW(L"powrprof.dll"), "PowerStandInLoaded"), nullptr)
            << "the power stand-in needs WINEDLLOVERRIDES=powrprof=n";
        resetPowerStandIn();
        acLineStatus = 1;
        powerStatusFails = false;
        setPowerStatusSource(injectedPowerStatus);
        setLanguage(UiLanguage::English);
    }
    void TearDown() override {
        setPowerStatusSource(nullptr);
        resetPowerStandIn();
    }
    HMENU timeoutMenu(CMenu& menu) {
        buildTrayMenu(menu);
        return GetSubMenu(menu.handle(), 1);
    }

    DimletResources resources;
};

} // namespace

TEST_F(TrayMenu, ItemsInOrderWithTheirTextsInBothLanguages) {
    struct Texts {
        UiLanguage language;
        std::vector<std::wstring> main;
        std::vector<std::wstring> timeouts;
    };
    const Texts cases[] = {
        {UiLanguage::English,
         {L"Turn Dimlet &Now", L"&Change Setting", L"&Language", L"", L"Check for &Updates",
          L"&About...", L"", L"E&xit"},
         {L"1 min", L"2 min", L"3 min", L"5 min", L"10 min", L"15 min", L"20 min", L"25 min",
          L"30 min", L"1 hour(s)", L"2 hour(s)", L"3 hour(s)", L"4 hour(s)", L"5 hour(s)",
          L"Never"}},
        {UiLanguage::Japanese,
         {L"今すぐ画面をオフ(&N)", L"設定変更(&C)", L"言語(&L)", L"", L"アップデートの確認(&U)",
          L"バージョン情報(&A)...", L"", L"終了(&X)"},
         {L"1 分", L"2 分", L"3 分", L"5 分", L"10 分", L"15 分", L"20 分", L"25 分", L"30 分",
          L"1 時間", L"2 時間", L"3 時間", L"4 時間", L"5 時間", L"なし"}},
    };
    for (const Texts& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.language));
        setLanguage(c.language);
        CMenu menu;
        buildTrayMenu(menu);
        const std::vector<Item> main = itemsOf(menu.handle());
        ASSERT_EQ(main.size(), 8u);
        const UINT ids[] = {ID_DISPLAY_OFF, 0, 0,          0, ID_CHECK_UPDATES,
                            ID_APP_ABOUT,   0, ID_APP_EXIT};
        for (size_t i = 0; i < main.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(main[i].text, c.main[i]);
            EXPECT_EQ(main[i].separator, i == 3 || i == 6);
            if (!main[i].separator) { // Wine grays separators
                EXPECT_EQ(main[i].grayed, ids[i] == ID_CHECK_UPDATES);
            }
            EXPECT_EQ(main[i].submenu != nullptr, i == 1 || i == 2);
            if (ids[i]) {
                EXPECT_EQ(main[i].id, ids[i]);
            }
            EXPECT_FALSE(main[i].checked);
        }

        const std::vector<Item> timeouts = itemsOf(main[1].submenu);
        ASSERT_EQ(timeouts.size(), 15u);
        for (size_t i = 0; i < timeouts.size(); ++i) {
            EXPECT_EQ(timeouts[i].id, ID_TIMEOUT_FIRST + i);
            EXPECT_EQ(timeouts[i].text, c.timeouts[i]);
        }

        const std::vector<Item> languages = itemsOf(main[2].submenu);
        ASSERT_EQ(languages.size(), 2u);
        EXPECT_EQ(languages[0].id, static_cast<UINT>(ID_LANGUAGE_JAPANESE));
        EXPECT_EQ(languages[0].text, L"日本語(&J)");
        EXPECT_EQ(languages[1].id, static_cast<UINT>(ID_LANGUAGE_ENGLISH));
        EXPECT_EQ(languages[1].text, L"English(&E)");
        EXPECT_EQ(checkedId(main[2].submenu),
                  c.language == UiLanguage::Japanese ? ID_LANGUAGE_JAPANESE : ID_LANGUAGE_ENGLISH);
    }
}

TEST_F(TrayMenu, LabelsOutsideTheTableFollowTheSameRule) {
    EXPECT_EQ(timeoutLabel(5400), L"90 min"); // not whole hours
    EXPECT_EQ(timeoutLabel(90), L"1 min");
    EXPECT_EQ(timeoutLabel(86400), L"24 hour(s)");
    setLanguage(UiLanguage::Japanese);
    EXPECT_EQ(timeoutLabel(5400), L"90 分");
}

TEST_F(TrayMenu, MarkShowsTheSchemeValueOfTheCurrentPowerSource) {
    struct Case {
        const char* what;
        BYTE acLine;
        bool statusFails;
        DWORD ac, dc;
        DWORD hasScheme, readError;
        UINT marked;
        const wchar_t* log;
    };
    const Case cases[] = {
        {"mains", 1, false, 300, 60, 1, 0, ID_TIMEOUT_FIRST + 3, L"GetActiveScheme;ReadAC;"},
        {"battery", 0, false, 300, 60, 1, 0, ID_TIMEOUT_FIRST + 0, L"GetActiveScheme;ReadDC;"},
        {"unknown source", 255, false, 300, 60, 1, 0, ID_TIMEOUT_FIRST + 3,
         L"GetActiveScheme;ReadAC;"},
        {"status call fails", 0, true, 300, 60, 1, 0, ID_TIMEOUT_FIRST + 3,
         L"GetActiveScheme;ReadAC;"},
        {"never", 1, false, 0, 60, 1, 0, ID_TIMEOUT_FIRST + 14, L"GetActiveScheme;ReadAC;"},
        {"5 hours", 0, false, 0, 18000, 1, 0, ID_TIMEOUT_FIRST + 13, L"GetActiveScheme;ReadDC;"},
        {"not in the table", 1, false, 420, 60, 1, 0, 0, L"GetActiveScheme;ReadAC;"},
        {"no active scheme", 1, false, 300, 60, 0, 0, 0, L"GetActiveScheme;"},
        {"value unreadable", 1, false, 300, 60, 1, ERROR_FILE_NOT_FOUND, 0,
         L"GetActiveScheme;ReadAC;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetPowerStandIn();
        acLineStatus = c.acLine;
        powerStatusFails = c.statusFails;
        setPowerStandIn(L"AC", c.ac);
        setPowerStandIn(L"DC", c.dc);
        setPowerStandIn(L"HasScheme", c.hasScheme);
        setPowerStandIn(L"ReadError", c.readError);
        CMenu menu;
        EXPECT_EQ(checkedId(timeoutMenu(menu)), c.marked);
        EXPECT_EQ(powerStandInLog(), c.log);
    }
}

TEST_F(TrayMenu, TimeoutCommandsWriteTheCurrentSourceAndTheNextMenuShowsIt) {
    auto* tray = new CTrayWnd; // deletes itself with its window
    ASSERT_TRUE(tray->create());
    const HWND window = tray->handle();
    const auto choose = [&](UINT id) {
        resetPowerStandIn();
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    };

    choose(ID_TIMEOUT_FIRST + 3);
    EXPECT_EQ(powerStandInLog(), L"GetActiveScheme;WriteAC=300;SetActiveScheme;");
    EXPECT_EQ(powerStandIn(L"AC"), 300u);
    EXPECT_EQ(powerStandIn(L"DC"), 600u);

    acLineStatus = 0;
    choose(ID_TIMEOUT_FIRST + 14);
    EXPECT_EQ(powerStandInLog(), L"GetActiveScheme;WriteDC=0;SetActiveScheme;");
    EXPECT_EQ(powerStandIn(L"AC"), 600u);
    EXPECT_EQ(powerStandIn(L"DC"), 0u);
    {
        CMenu menu;
        EXPECT_EQ(checkedId(timeoutMenu(menu)), ID_TIMEOUT_FIRST + 14u);
    }

    // Inside the command range but past the table: nothing is read or written.
    for (UINT id : {ID_TIMEOUT_FIRST + 15, ID_TIMEOUT_LAST}) {
        SCOPED_TRACE(id);
        choose(id);
        EXPECT_EQ(powerStandInLog(), L"");
    }

    DestroyWindow(window);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // Exit's own quit
}

#include "dimlet/resource.h"
#include "tests/dimlet/DimletDriver.h"
#include "tests/dimlet/DimletTest.h"

#include <shellapi.h>

#include <gtest/gtest.h>

using namespace dimlettest;

namespace {

constexpr UINT trayCallback = WM_APP + 1;

// Every case starts without a stored language and with the stand-in's default scheme.
class DimletEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        clearDimletSettings();
        resetPowerStandIn();
    }
    void TearDown() override { clearDimletSettings(); }
};

void command(HWND window, UINT id) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// A popup menu of the process that is on screen.
HWND visibleMenu(const DimletProcess& dimlet) {
    const HWND menu = dimlet.findTopLevel(L"#32768", L"");
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Opens the About box by command, returns its contents and closes it with OK.
struct AboutTexts {
    std::wstring caption;
    std::wstring product;
    std::wstring version;
};

AboutTexts aboutTexts(const DimletProcess& dimlet, const std::wstring& caption) {
    const HWND about = dimlet.openBox(ID_APP_ABOUT, caption);
    if (!about)
        return {};
    AboutTexts texts{windowText(about), itemText(about, IDC_PRODUCT), itemText(about, IDC_VERSION)};
    SendMessageW(about, WM_COMMAND, IDOK, 0);
    waitFor([&] { return !IsWindow(about); });
    return texts;
}

} // namespace

TEST_F(DimletEndToEnd, SecondCopyEndsAtOnceAndFirstEndsWithItsWindow) {
    DimletProcess first;
    ASSERT_TRUE(first.started());
    const HWND window = first.waitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, static_cast<LONG>(WS_POPUP));

    {
        DimletProcess second;
        ASSERT_TRUE(second.started());
        bool hadWindow = false;
        ASSERT_TRUE(second.waitForExit(20000, &hadWindow));
        EXPECT_FALSE(hadWindow);
        EXPECT_EQ(second.exitCode(), 0u);
    }
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.window(), window);

    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    ASSERT_TRUE(first.waitForExit(20000));
    EXPECT_EQ(first.exitCode(), 0u);
}

TEST_F(DimletEndToEnd, TrayIconComesBackWithTheTaskbarAndGoesOnExit) {
    DimletProcess dimlet;
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([] { return trayIconCount() == 1; }));

    // As if Explorer had restarted: the icon is gone until the shell says the taskbar is back.
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(waitFor([] { return trayIconCount() == 0; }));
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(waitFor([] { return trayIconCount() == 1; }));

    PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    ASSERT_TRUE(dimlet.waitForExit(20000));
    EXPECT_EQ(dimlet.exitCode(), 0u);
    EXPECT_EQ(trayIconCount(), 0);

    // The mutex went with it: a new start runs.
    DimletProcess again;
    const HWND second = again.waitForWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(again.exitFromMenu());
}

TEST_F(DimletEndToEnd, OnlyARightClickOrTheMenuKeyOpensTheMenu) {
    DimletProcess dimlet;
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);

    // The menu is tracked inside the callback: had one opened, the call would not return.
    for (UINT event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONUP, WM_RBUTTONDOWN,
                       WM_MOUSEMOVE}) {
        SCOPED_TRACE(event);
        DWORD_PTR result = 1;
        EXPECT_TRUE(
            SendMessageTimeoutW(window, trayCallback, 1, event, SMTO_NORMAL, 20000, &result));
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(visibleMenu(dimlet), nullptr);
    }

    for (UINT event : {WM_RBUTTONUP, WM_CONTEXTMENU}) {
        SCOPED_TRACE(event);
        PostMessageW(window, trayCallback, 1, event);
        HWND menu = nullptr;
        ASSERT_TRUE(waitFor([&] { return (menu = visibleMenu(dimlet)) != nullptr; }));
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(waitFor([&] { return visibleMenu(dimlet) == nullptr; }));
    }
    // The menu loop has ended: the window answers again.
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result));
}

TEST_F(DimletEndToEnd, LanguageCommandsWriteOnlyAChangeAndTakeEffectAtOnce) {
    storeDimletLanguage(1);
    DimletProcess dimlet;
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    clearDimletSettings(); // read at start; from now on only a write brings it back

    command(window, ID_LANGUAGE_ENGLISH); // already in force
    EXPECT_EQ(storedDimletLanguage(), -1);
    command(window, ID_LANGUAGE_JAPANESE);
    EXPECT_EQ(storedDimletLanguage(), 0);
    EXPECT_EQ(aboutTexts(dimlet, L"Dimlet のバージョン情報").version, L"バージョン 1.0.0.0");

    clearDimletSettings();
    command(window, ID_LANGUAGE_JAPANESE);
    EXPECT_EQ(storedDimletLanguage(), -1);
    command(window, ID_LANGUAGE_ENGLISH);
    EXPECT_EQ(storedDimletLanguage(), 1);
    EXPECT_EQ(aboutTexts(dimlet, L"About Dimlet").version, L"Version 1.0.0.0");

    EXPECT_TRUE(dimlet.exitFromMenu());
}

TEST_F(DimletEndToEnd, StoredLanguageOutOfRangeFollowsTheWindowsLanguage) {
    const wchar_t* english = L"About Dimlet";
    const wchar_t* japanese = L"Dimlet のバージョン情報";
    // Dimlet inherits this process's UI language.
    const wchar_t* windows =
        PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? japanese : english;
    struct Case {
        long stored;
        const wchar_t* caption;
    };
    const Case cases[] = {{7, windows}, {-1, windows}, {2, windows}, {1, english}, {0, japanese}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (c.stored == -1)
            clearDimletSettings();
        else
            storeDimletLanguage(c.stored);
        DimletProcess dimlet;
        const HWND window = dimlet.waitForWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(aboutTexts(dimlet, c.caption).caption, c.caption);
        EXPECT_EQ(storedDimletLanguage(), c.stored); // reading writes nothing back
        EXPECT_TRUE(dimlet.exitFromMenu());
    }
}

TEST_F(DimletEndToEnd, UpdateCommandSaysWhereUpdatesWouldComeFrom) {
    struct Case {
        long language;
        const wchar_t* text;
        const wchar_t* image;
    };
    const Case cases[] = {
        {1, L"The update location is not configured.", L"update-en.png"},
        {0, L"アップデートの確認先が設定されていません。", L"update-ja.png"},
    };
    for (const Case& c : cases) {
        storeDimletLanguage(c.language);
        DimletProcess dimlet;
        const HWND window = dimlet.waitForWindow();
        ASSERT_NE(window, nullptr);
        const HWND box = dimlet.openBox(ID_CHECK_UPDATES, L"Dimlet");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), window);
        EXPECT_EQ(itemText(box, 0xFFFF), c.text);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL))); // Wine makes every button
        saveWindowImage(box, testOutputFolder() + L"\\" + c.image);
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(dimlet.exitFromMenu());
    }
}

TEST_F(DimletEndToEnd, SecondStartOrExitWhileTheAboutBoxIsOpen) {
    storeDimletLanguage(1);
    DimletProcess dimlet;
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    const HWND about = dimlet.openBox(ID_APP_ABOUT, L"About Dimlet");
    ASSERT_NE(about, nullptr);

    {
        DimletProcess second;
        ASSERT_TRUE(second.waitForExit(20000));
        EXPECT_EQ(second.exitCode(), 0u);
    }
    // A second request brings the open box forward instead of stacking another one.
    PostMessageW(window, WM_COMMAND, ID_APP_ABOUT, 0);
    DWORD_PTR unused = 0;
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &unused));
    int boxes = 0;
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, L"#32770", L"About Dimlet"); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, L"#32770", L"About Dimlet"))
        ++boxes;
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(IsWindow(about));

    // Exit from the menu while the box is open ends Dimlet cleanly, box and icon included.
    PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    ASSERT_TRUE(dimlet.waitForExit(20000));
    EXPECT_EQ(dimlet.exitCode(), 0u);
    EXPECT_EQ(trayIconCount(), 0);
}

TEST_F(DimletEndToEnd, AboutBoxShowsEverythingInBothLanguages) {
    struct Case {
        long language;
        const wchar_t* caption;
        const wchar_t* version;
        const wchar_t* image;
    };
    const Case cases[] = {
        {1, L"About Dimlet", L"Version 1.0.0.0", L"about-en.png"},
        {0, L"Dimlet のバージョン情報", L"バージョン 1.0.0.0", L"about-ja.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        storeDimletLanguage(c.language);
        DimletProcess dimlet;
        const HWND window = dimlet.waitForWindow();
        ASSERT_NE(window, nullptr);
        const HWND about = dimlet.openBox(ID_APP_ABOUT, c.caption);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), window);
        EXPECT_EQ(itemText(about, IDC_PRODUCT), L"Dimlet");
        EXPECT_EQ(itemText(about, IDC_VERSION), c.version);
        EXPECT_EQ(itemText(about, IDC_COPYRIGHT), L"Copyright (C) 2026 Velkor Software");
        EXPECT_EQ(itemText(about, IDC_MAKER), L"Velkor");
        EXPECT_EQ(itemText(about, IDC_LINK).rfind(L"https://", 0), 0u);
        EXPECT_EQ(itemText(about, IDOK), L"OK");

        // For a person to look at the layout; not part of the verdict.
        EXPECT_TRUE(saveWindowImage(about, testOutputFolder() + L"\\" + c.image));

        // A click on the link hands the address to the shell and leaves the box open.
        DWORD_PTR unused = 0;
        const HWND link = GetDlgItem(about, IDC_LINK);
        EXPECT_TRUE(SendMessageTimeoutW(about, WM_COMMAND, MAKEWPARAM(IDC_LINK, STN_CLICKED),
                                        reinterpret_cast<LPARAM>(link), SMTO_NORMAL, 30000,
                                        &unused));
        EXPECT_TRUE(IsWindowVisible(about));

        SendMessageW(about, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(about); }));
        EXPECT_TRUE(dimlet.exitFromMenu());
    }
}

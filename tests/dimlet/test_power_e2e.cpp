// Dimlet.exe's display commands against the power stand-in, which it loads through the
// test's DLL override.

#include "dimlet/resource.h"
#include "tests/common/TestUtil.h"
#include "tests/dimlet/DimletDriver.h"
#include "tests/dimlet/standin/PowerStandIn.h"

#include <gtest/gtest.h>

#include <string>

using namespace dimlettest;

namespace {

// A top-level window of the test that notes every "Power" settings change it is told about.
class SettingChangeListener {
public:
    SettingChangeListener() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"DimletTestListener";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, windowClass.lpszClassName, L"listener", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~SettingChangeListener() { DestroyWindow(window); }
    SettingChangeListener(const SettingChangeListener&) = delete;
    SettingChangeListener& operator=(const SettingChangeListener&) = delete;

    int powerChanges = 0;
    int otherChanges = 0;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<SettingChangeListener*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message == WM_SETTINGCHANGE) {
            const auto* area = reinterpret_cast<const wchar_t*>(lParam);
            if (wParam == 0 && area && std::wstring(area) == L"Power")
                ++self->powerChanges;
            else
                ++self->otherChanges;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND window = nullptr;
};

// Which value the stand-in should see written: Dimlet asks the same Windows as this test.
std::wstring sourceName() {
    SYSTEM_POWER_STATUS status{};
    return GetSystemPowerStatus(&status) && status.ACLineStatus == 0 ? L"DC" : L"AC";
}

class DimletPower : public testing::Test {
protected:
    void SetUp() override {
        clearDimletSettings();
        resetPowerStandIn();
    }
    void TearDown() override {
        clearDimletSettings();
        resetPowerStandIn();
    }
    void clearLog() { RegDeleteKeyValueW(HKEY_CURRENT_USER, powerstandin::stateKey, L"Log"); }
    // Once this returns, Dimlet has handled everything sent or posted to it before.
    static bool settle(HWND window) {
        DWORD_PTR unused = 0;
        return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &unused) != 0;
    }
};

} // namespace

TEST_F(DimletPower, ChosenTimeoutIsWrittenActivatedAndAnnounced) {
    SettingChangeListener listener;
    DimletProcess dimlet;
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    const std::wstring source = sourceName();

    struct Case {
        UINT id;
        DWORD written;
    };
    for (const Case& c : {Case{ID_TIMEOUT_FIRST + 3, 300}, Case{ID_TIMEOUT_FIRST + 14, 0}}) {
        SCOPED_TRACE(c.id);
        clearLog();
        const int before = listener.powerChanges;
        // The broadcast reaches the listener while this call waits.
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(c.id, 0), 0);
        EXPECT_EQ(powerStandInLog(), L"GetActiveScheme;Write" + source + L"=" +
                                         std::to_wstring(c.written) + L";SetActiveScheme;");
        EXPECT_EQ(powerStandIn(source.c_str()), c.written);
        EXPECT_EQ(listener.powerChanges, before + 1);
    }

    // Past the table: ignored, no box.
    for (UINT id : {ID_TIMEOUT_FIRST + 15, ID_TIMEOUT_LAST}) {
        SCOPED_TRACE(id);
        clearLog();
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        ASSERT_TRUE(settle(window));
        EXPECT_EQ(powerStandInLog(), L"");
        EXPECT_EQ(dimlet.findTopLevel(L"#32770", L"Dimlet"), nullptr);
    }
    EXPECT_EQ(listener.powerChanges, 2);
    EXPECT_TRUE(dimlet.exitFromMenu());
}

TEST_F(DimletPower, FailureShowsTheErrorBoxAndAnnouncesNothing) {
    struct Case {
        const char* what;
        const wchar_t* state;
        DWORD value;
        long language;
        const wchar_t* text;
        const wchar_t* log;
        DWORD after; // a value written before the re-activation failed stays
    };
    const Case cases[] = {
        {"write refused", L"WriteError", ERROR_ACCESS_DENIED, 1,
         L"Failed to change the power setting.", L"GetActiveScheme;Write", 600},
        {"no active scheme", L"HasScheme", 0, 0, L"電源設定を変更できませんでした。",
         L"GetActiveScheme;", 600},
        {"not re-activated", L"ActivateError", ERROR_ACCESS_DENIED, 1,
         L"Failed to change the power setting.", L"GetActiveScheme;Write", 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetPowerStandIn();
        setPowerStandIn(c.state, c.value);
        storeDimletLanguage(c.language);
        SettingChangeListener listener;
        DimletProcess dimlet;
        const HWND window = dimlet.waitForWindow();
        ASSERT_NE(window, nullptr);
        clearLog();

        const HWND box = dimlet.openBox(ID_TIMEOUT_FIRST + 3, L"Dimlet");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), window);
        EXPECT_EQ(itemText(box, 0xFFFF), c.text);
        EXPECT_EQ(powerStandInLog().rfind(c.log, 0), 0u) << testutil::narrow(powerStandInLog());
        SendMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
        ASSERT_TRUE(settle(window));
        EXPECT_EQ(listener.powerChanges, 0);
        EXPECT_EQ(powerStandIn(sourceName().c_str()), c.after);
        EXPECT_TRUE(dimlet.exitFromMenu());
    }
}

TEST_F(DimletPower, DisplayGoesOffFromTheTimerAndARepeatRestartsIt) {
    DimletProcess dimlet({std::wstring(powerstandin::watchVariable) + L"=1"});
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(settle(window));

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        clearLog();
        // Twice before the timer can fire: one timer, one display-off post after it.
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_DISPLAY_OFF, 0), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_DISPLAY_OFF, 0), 0);
        EXPECT_EQ(powerStandInLog(), L""); // nothing is posted at the command itself
        ASSERT_TRUE(
            waitFor([] { return powerStandInLog().find(L"monitor2;") != std::wstring::npos; }));
        EXPECT_EQ(powerStandInLog(), L"timer1;monitor2;");
    }
    EXPECT_TRUE(dimlet.exitFromMenu());
}

TEST_F(DimletPower, IdleDimletTakesNoMessages) {
    DimletProcess dimlet({std::wstring(powerstandin::watchVariable) + L"=1"});
    const HWND window = dimlet.waitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([] { return trayIconCount() == 1; }));
    ASSERT_TRUE(settle(window));
    clearLog();
    // Nothing is asked of it: whatever it took from its queue now would be its own doing.
    Sleep(3000);
    ASSERT_TRUE(settle(window));
    EXPECT_EQ(powerStandInLog(), L"");
    EXPECT_TRUE(dimlet.exitFromMenu());
}

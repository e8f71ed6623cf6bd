#include "tests/shutdown/ShutdownFixture.h"

#include "pinvane/shutdown/CloseBrowsers.h"

using CloseBrowsers = ShutdownTest;

namespace {

const std::wstring closing = L"ブラウザのウィンドウを閉じます\r\n";
const std::wstring closed = L"ブラウザが終了しました\r\n";
const std::wstring terminated = L"強制終了しました\r\n";

std::wstring forcing(int seconds) {
    return L"ブラウザが " + std::to_wstring(seconds) +
           L" 秒以内に終了しなかったため、強制終了します\r\n";
}

} // namespace

TEST_F(CloseBrowsers, WindowsThatCloseOnRequest) {
    const StandIn a = start(L"chrome.exe", L"close");
    const StandIn b = start(L"chrome.exe", L"close");
    const StandIn fox = start(L"firefox.exe", L"close");
    EXPECT_TRUE(closeBrowsers({chrome(), firefox()}, 2));
    EXPECT_EQ(logText(), closing + closed);
    EXPECT_EQ(exitCode(a), 0u);
    EXPECT_EQ(exitCode(b), 0u);
    EXPECT_EQ(exitCode(fox), 0u);
}

// Ignoring WM_CLOSE and having only hidden windows (which get no WM_CLOSE) both
// end in termination with exit code 1 once the timeout has run out.
TEST_F(CloseBrowsers, SurvivorsAreTerminatedAfterTheTimeout) {
    struct Case {
        const wchar_t* mode;
        int timeoutSeconds;
    };
    for (const Case c : {Case{L"ignore", 0}, Case{L"ignore", 1}, Case{L"hidden", 1}}) {
        SCOPED_TRACE(testutil::narrow(c.mode) + " " + std::to_string(c.timeoutSeconds));
        RunLog::open(joinPath(root, L"Pinvane.log"));
        const StandIn s = start(L"msedge.exe", c.mode);
        const ULONGLONG begin = GetTickCount64();
        EXPECT_TRUE(closeBrowsers({edge()}, c.timeoutSeconds));
        const ULONGLONG elapsed = GetTickCount64() - begin;
        EXPECT_EQ(logText(), closing + forcing(c.timeoutSeconds) + terminated);
        EXPECT_EQ(exitCode(s), 1u);
        EXPECT_GE(elapsed, c.timeoutSeconds * 1000u);
        EXPECT_LT(elapsed, c.timeoutSeconds * 1000u + 1500);
    }
}

TEST_F(CloseBrowsers, MixedBrowsersOnlySurvivorsAreTerminated) {
    const StandIn polite = start(L"chrome.exe", L"close");
    const StandIn stubborn = start(L"msedge.exe", L"ignore");
    const StandIn background = start(L"firefox.exe", L"hidden");
    EXPECT_TRUE(closeBrowsers({edge(), chrome(), firefox()}, 1));
    EXPECT_EQ(logText(), closing + forcing(1) + terminated);
    EXPECT_EQ(exitCode(polite), 0u);
    EXPECT_EQ(exitCode(stubborn), 1u);
    EXPECT_EQ(exitCode(background), 1u);
}

TEST_F(CloseBrowsers, NothingRunningIsDoneAtOnceWithoutLog) {
    const StandIn other = start(L"chrome.exe", L"close"); // not in the list
    EXPECT_TRUE(closeBrowsers({}, 30));
    EXPECT_TRUE(closeBrowsers({edge(), firefox()}, 30));
    EXPECT_TRUE(waitForBrowsersToExit({edge()}, 0));
    EXPECT_EQ(logText(), L"");
    EXPECT_TRUE(running(other));
}

TEST_F(CloseBrowsers, WaitLooksForTheImageNameUntilTheLimit) {
    const StandIn s = start(L"firefox.exe", L"ignore");
    ULONGLONG begin = GetTickCount64();
    EXPECT_FALSE(waitForBrowsersToExit({firefox()}, 0));
    EXPECT_LT(GetTickCount64() - begin, 200u);

    begin = GetTickCount64();
    EXPECT_FALSE(waitForBrowsersToExit({firefox()}, 600));
    const ULONGLONG elapsed = GetTickCount64() - begin;
    EXPECT_GE(elapsed, 600u);
    EXPECT_LT(elapsed, 1300u);

    // A process started during the wait keeps it going.
    std::thread relay([&] {
        Sleep(300);
        start(L"firefox.exe", L"ignore");
        endNow(s);
    });
    begin = GetTickCount64();
    EXPECT_FALSE(waitForBrowsersToExit({firefox()}, 1500));
    EXPECT_GE(GetTickCount64() - begin, 1500u);
    relay.join();
    EXPECT_EQ(logText(), L"");
}

TEST_F(CloseBrowsers, PostsCloseOnlyToVisibleWindowsOfTheListedProcesses) {
    const StandIn listed = start(L"chrome.exe", L"close");
    const StandIn hidden = start(L"chrome.exe", L"hidden");
    const StandIn unlisted = start(L"msedge.exe", L"close");
    ProcessIdList ids{listed.id, hidden.id};
    EnumWindows(postCloseToWindows, reinterpret_cast<LPARAM>(&ids));
    EXPECT_EQ(exitCode(listed), 0u);
    EXPECT_TRUE(running(hidden));
    EXPECT_TRUE(running(unlisted));
}

// The lookup stand-in reports a process that cannot be opened; it disappears
// from the lookup after the given number of calls (or never).
TEST_F(CloseBrowsers, TerminationFailuresAreLoggedPerProcess) {
    struct Case {
        int visibleCalls;
        bool gone;
        std::wstring lastLine;
    };
    const Case cases[] = {
        // Collect, first wait test, second collect; gone by the final wait.
        {3, true, terminated},
        {-1, false, L"強制終了後もプロセスが残っています\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.visibleCalls);
        RunLog::open(joinPath(root, L"Pinvane.log"));
        int calls = 0;
        setProcessLookup([&](const std::wstring& image) {
            if (image != L"chrome.exe" || (c.visibleCalls >= 0 && calls >= c.visibleCalls))
                return ProcessIdList{};
            ++calls;
            return ProcessIdList{absentProcessId};
        });
        const ULONGLONG begin = GetTickCount64();
        EXPECT_EQ(closeBrowsers({chrome()}, 0), c.gone);
        const ULONGLONG elapsed = GetTickCount64() - begin;
        EXPECT_EQ(logText(), closing + forcing(0) + L"プロセスを強制終了できません (PID " +
                                 std::to_wstring(absentProcessId) + L"): エラー 87\r\n" +
                                 c.lastLine);
        if (!c.gone) {
            EXPECT_GE(elapsed, 5000u);
        }
    }
}

#include "tests/shutdown/ShutdownFixture.h"

#include "pinvane/shutdown/ConfirmShutdown.h"

using ConfirmShutdown = ShutdownTest;

namespace {

const std::wstring confirmChromeFirefox =
    L"The following browsers must be closed to add the bookmarks.\r\n  ・Chrome\r\n  ・Firefox"
    L"\r\n\r\nOpen windows will be closed. Click OK to continue.";

bool sameIcon(HICON shown, LPCWSTR standard) {
    return shown && shown == LoadIconW(nullptr, standard);
}

} // namespace

TEST_F(ConfirmShutdown, NothingRunningProceedsWithoutBoxOrLog) {
    BoxWatcher watcher;
    EXPECT_EQ(confirmAndCloseBrowsers(30), ShutdownOutcome::Proceed);
    EXPECT_TRUE(watcher.boxes().empty());
    EXPECT_EQ(logText(), L"");
}

TEST_F(ConfirmShutdown, OkClosesTheListedBrowsers) {
    const StandIn fox = start(L"firefox.exe", L"close");
    const StandIn chromeWindow = start(L"chrome.exe", L"close");
    BoxWatcher watcher;
    EXPECT_EQ(confirmAndCloseBrowsers(2), ShutdownOutcome::Proceed);

    const std::vector<SeenBox> boxes = watcher.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, confirmChromeFirefox);
    EXPECT_TRUE(boxes[0].hasCancel);
    EXPECT_TRUE(sameIcon(boxes[0].icon, IDI_INFORMATION));
    EXPECT_EQ(logText(), L"終了するブラウザ:\r\n  ・Chrome\r\n  ・Firefox\r\n"
                         L"ブラウザのウィンドウを閉じます\r\nブラウザが終了しました\r\n");
    EXPECT_EQ(exitCode(fox), 0u);
    EXPECT_EQ(exitCode(chromeWindow), 0u);
}

TEST_F(ConfirmShutdown, CancelOrClosingTheBoxTouchesNothing) {
    const BoxWatcher::Answer answers[] = {{WM_COMMAND, IDCANCEL, {}}, {WM_CLOSE, 0, {}}};
    for (const BoxWatcher::Answer& answer : answers) {
        SCOPED_TRACE(answer.message);
        RunLog::open(joinPath(root, L"Pinvane.log"));
        const StandIn s = start(L"msedge.exe", L"close");
        BoxWatcher watcher({answer});
        EXPECT_EQ(confirmAndCloseBrowsers(0), ShutdownOutcome::Cancelled);
        EXPECT_EQ(watcher.boxes().size(), 1u);
        EXPECT_EQ(logText(), L"キャンセルされたため、処理せずに終了します\r\n");
        Sleep(300); // a posted WM_CLOSE would have ended it by now
        EXPECT_TRUE(running(s));
        endNow(s);
    }
}

TEST_F(ConfirmShutdown, BrowserThatExitsWhileTheBoxIsOpenIsNotListedAgain) {
    const StandIn chromeWindow = start(L"chrome.exe", L"close");
    const StandIn fox = start(L"firefox.exe", L"close");
    BoxWatcher watcher({{WM_COMMAND, IDOK, [&] { endNow(chromeWindow); }}});
    EXPECT_EQ(confirmAndCloseBrowsers(2), ShutdownOutcome::Proceed);
    EXPECT_EQ(logText(), L"終了するブラウザ:\r\n  ・Firefox\r\n"
                         L"ブラウザのウィンドウを閉じます\r\nブラウザが終了しました\r\n");
    EXPECT_EQ(exitCode(fox), 0u);
}

TEST_F(ConfirmShutdown, AllGoneWhileTheBoxIsOpenProceedsWithoutClosing) {
    const StandIn s = start(L"chrome.exe", L"close");
    BoxWatcher watcher({{WM_COMMAND, IDOK, [&] { endNow(s); }}});
    EXPECT_EQ(confirmAndCloseBrowsers(2), ShutdownOutcome::Proceed);
    EXPECT_EQ(logText(), L"");
}

TEST_F(ConfirmShutdown, WithoutDialogsTheBrowsersAreClosedWithoutAsking) {
    dialogsEnabled = false;
    const StandIn s = start(L"msedge.exe", L"ignore");
    BoxWatcher watcher;
    EXPECT_EQ(confirmAndCloseBrowsers(0), ShutdownOutcome::Proceed);
    EXPECT_TRUE(watcher.boxes().empty());
    EXPECT_EQ(logText(), L"終了するブラウザ:\r\n  ・Edge\r\nブラウザのウィンドウを閉じます\r\n"
                         L"ブラウザが 0 秒以内に終了しなかったため、強制終了します\r\n"
                         L"強制終了しました\r\n");
    EXPECT_EQ(exitCode(s), 1u);
}

// Chrome is reported by a lookup stand-in with a process that cannot be
// terminated, so it survives everything.
TEST_F(ConfirmShutdown, SurvivingBrowserIsReported) {
    for (const bool dialogs : {true, false}) {
        SCOPED_TRACE(dialogs);
        dialogsEnabled = dialogs;
        RunLog::open(joinPath(root, L"Pinvane.log"));
        setProcessLookup([](const std::wstring& image) {
            return image == L"chrome.exe" ? ProcessIdList{absentProcessId} : ProcessIdList{};
        });
        BoxWatcher watcher;
        EXPECT_EQ(confirmAndCloseBrowsers(0), ShutdownOutcome::BrowsersRemain);
        EXPECT_EQ(logText(),
                  L"終了するブラウザ:\r\n  ・Chrome\r\nブラウザのウィンドウを閉じます\r\n"
                  L"ブラウザが 0 秒以内に終了しなかったため、強制終了します\r\n"
                  L"プロセスを強制終了できません (PID 2147483632): エラー 87\r\n"
                  L"強制終了後もプロセスが残っています\r\n"
                  L"終了できなかったブラウザ:\r\n  ・Chrome\r\n");
        const std::vector<SeenBox> boxes = watcher.boxes();
        if (!dialogs) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, L"Could not close the following browsers.\r\n  ・Chrome"
                                 L"\r\n\r\nPlease close them manually and run again.");
        EXPECT_FALSE(boxes[1].hasCancel);
        EXPECT_TRUE(sameIcon(boxes[1].icon, IDI_ERROR));
    }
}

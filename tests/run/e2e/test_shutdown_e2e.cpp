#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/Processes.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testutil;

namespace {

// A stand-in chrome.exe with a visible window; ended by the fixture in any case.
class RunningChrome : public ::testing::Test {
protected:
    void SetUp() override {
        chrome = ChildProcess::start(joinPath(exeFolder(), L"standin\\chrome.exe"), {mode()});
        ASSERT_TRUE(chrome.started());
        WaitForInputIdle(chrome.handle(), 5000);
        Sleep(200);
    }
    void TearDown() override { chrome.end(); }
    virtual std::wstring mode() const { return L"close"; }
    bool chromeRunning() const { return chrome.running(); }

    ChildProcess chrome;
};

const char* const ini = "[Settings]\r\nCloseTimeoutSeconds=3\r\n"
                        "[Portal]\r\nTitle=Portal\r\nUrl=https://portal.example.com/\r\n";

const wchar_t* const confirmation =
    L"The following browsers must be closed to add the bookmarks.\r\n  ・Chrome"
    L"\r\n\r\nOpen windows will be closed. Click OK to continue.";

} // namespace

TEST_F(RunningChrome, CancelLeavesEverythingAsItWas) {
    PinvaneFolder folder(L"e2e-cancel");
    folder.writeIni(ini);
    const std::wstring bookmarks =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);

    const RunResult result = runPinvane(folder, folder.browserOptions(), IDCANCEL);
    EXPECT_EQ(result.exitCode, 3u);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], confirmation);
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "キャンセルされたため、処理せずに終了します");
    EXPECT_TRUE(chromeRunning());
    EXPECT_EQ(readBytes(bookmarks), fixtures::chromiumBookmarks);
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));
}

TEST_F(RunningChrome, PreviewAsksNothingAndClosesNothing) {
    PinvaneFolder folder(L"e2e-preview-running");
    folder.writeIni(ini);
    const std::wstring chromeFile =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    std::vector<std::wstring> options = folder.browserOptions();
    options.push_back(L"--preview");

    const RunResult result = runPinvane(folder, options);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxTexts.empty());
    EXPECT_TRUE(chromeRunning());
    EXPECT_EQ(readBytes(chromeFile), fixtures::chromiumBookmarks);
    const auto lines = folder.logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Chrome(Default): 追加: Portal -> https://portal.example.com/"),
              lines.end());
}

TEST_F(RunningChrome, OkClosesTheBrowserThenEdits) {
    PinvaneFolder folder(L"e2e-confirm");
    folder.writeIni(ini);
    const std::wstring bookmarks =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);

    const RunResult result = runPinvane(folder, folder.browserOptions(), IDOK);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], confirmation);
    EXPECT_FALSE(chromeRunning());
    const auto lines = folder.logLines();
    ASSERT_GE(lines.size(), 6u);
    // The list of browsers is one message over several lines.
    EXPECT_EQ(lines[1], "終了するブラウザ:");
    EXPECT_EQ(lines[2], "  ・Chrome");
    EXPECT_EQ(lines[3], "ブラウザのウィンドウを閉じます");
    EXPECT_EQ(lines[4], "ブラウザが終了しました");
    EXPECT_EQ(lines.back(), "完了");
    EXPECT_NE(readBytes(bookmarks).find("https://portal.example.com/"), std::string::npos);
}

namespace {

class StubbornChrome : public RunningChrome {
protected:
    std::wstring mode() const override { return L"ignore"; }
};

} // namespace

TEST_F(StubbornChrome, NoDialogTerminatesAfterTheTimeout) {
    PinvaneFolder folder(L"e2e-terminate");
    folder.writeIni("[Settings]\r\nCloseTimeoutSeconds=0\r\n"
                    "[Portal]\r\nTitle=Portal\r\nUrl=https://portal.example.com/\r\n");
    folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);

    std::vector<std::wstring> arguments = folder.browserOptions();
    arguments.push_back(L"--no-dialog");
    const RunResult result = runPinvane(folder, arguments);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxTexts.empty());
    EXPECT_EQ(chrome.waitForExit(5000), 1u);
    const auto lines = folder.logLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[1], "終了するブラウザ:");
    EXPECT_EQ(lines[2], "  ・Chrome");
    EXPECT_EQ(lines[3], "ブラウザのウィンドウを閉じます");
    EXPECT_EQ(lines[4], "ブラウザが 0 秒以内に終了しなかったため、強制終了します");
    EXPECT_EQ(lines[5], "強制終了しました");
    EXPECT_EQ(lines.back(), "完了");
}

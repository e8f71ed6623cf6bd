#include "pinvane/support/BrowserTable.h"
#include "pinvane/run/RunFlow.h"
#include "pinvane/shutdown/RunningBrowsers.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace testutil;

namespace {

const char* const minimalBookmarks = R"({
   "roots": {
      "bookmark_bar": {
         "children": [  ],
         "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      }
   },
   "version": 1
})";

std::wstring makeProfile(const std::wstring& userData) {
    CreateDirectoryW(userData.c_str(), nullptr);
    CreateDirectoryW((userData + L"\\Default").c_str(), nullptr);
    const std::wstring file = userData + L"\\Default\\Bookmarks";
    writeBytes(file, minimalBookmarks);
    return file;
}

} // namespace

TEST(RunFlow, BrowserStartedAgainAfterItsBackupIsLeftUnchanged) {
    const std::wstring root = scratchFolder(L"recheck");
    RunContext context;
    context.exeFolder = root;
    context.dataFolder = root;
    context.logPath = root + L"\\Pinvane.log";
    context.settingsPath = root + L"\\Pinvane.ini";
    context.edgeUserDataDir = root + L"\\Edge";
    context.chromeUserDataDir = root + L"\\Chrome";
    context.firefoxDir = root + L"\\Firefox";
    context.processCheck = true;
    writeBytes(context.settingsPath, "[a]\nTitle=New\nUrl=https://new.example.com/\n");
    const std::wstring edge = makeProfile(context.edgeUserDataDir);
    const std::wstring chrome = makeProfile(context.chromeUserDataDir);
    RunLog::open(context.logPath);

    // Nothing runs while the browsers are looked for; Chrome appears after its backup.
    int chromeLookups = 0;
    setProcessLookup([&](const std::wstring& image) -> ProcessIdList {
        if (image == L"chrome.exe" && ++chromeLookups > 1)
            return {4242};
        return {};
    });
    dialogsEnabled = false;
    const int code = runPinvane(context);
    dialogsEnabled = true;
    setProcessLookup({});

    EXPECT_EQ(code, 1);
    EXPECT_EQ(chromeLookups, 2);
    EXPECT_EQ(readBytes(chrome), minimalBookmarks);
    EXPECT_NE(readBytes(edge).find("https://new.example.com/"), std::string::npos);
    const auto lines = logLines(context.logPath);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Chrome: 処理の準備中にブラウザが起動されたため、何も変更しません"),
              lines.end());
    EXPECT_TRUE(fileExists(joinPath(root, L"Backup") + L"\\" +
                           listSubdirectories(joinPath(root, L"Backup")).at(0) +
                           L"\\Chrome(Default)\\Bookmarks"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "完了（失敗あり）");
}

TEST(RunFlow, SummaryTexts) {
    const std::vector<FailureRecord> failures = {
        {L"Chrome", RollbackState::NotChanged},
        {L"Firefox", RollbackState::RollbackFailed},
    };
    EXPECT_EQ(buildSummaryText(failures, false, L"C:\\P\\Backup\\20261210_123000"),
              L"Bookmarks could not be added to the following browsers.\r\n"
              L"\r\n  ・Chrome：not changed"
              L"\r\n  ・Firefox：could not be rolled back"
              L"\r\n\r\nPlease restore the browsers that could not be rolled back manually from "
              L"the backup in this folder.\r\nC:\\P\\Backup\\20261210_123000"
              L"\r\n\r\nSee Pinvane.log for details.");
    EXPECT_EQ(buildSummaryText({{L"Edge", RollbackState::RollbackFailed}}, true, L"D:\\B"),
              L"ブックマークを追加できなかったブラウザがあります。\r\n"
              L"\r\n  ・Edge：元に戻せませんでした"
              L"\r\n\r\n元に戻せなかったブラウザは、次のフォルダのバックアップから手動で戻して"
              L"ください。\r\nD:\\B"
              L"\r\n\r\n詳細は Pinvane.log を確認してください。");
    EXPECT_EQ(buildSummaryText({{L"Chrome", RollbackState::NotChanged}}, true, L"D:\\B"),
              L"ブックマークを追加できなかったブラウザがあります。\r\n"
              L"\r\n  ・Chrome：変更していません"
              L"\r\n\r\n詳細は Pinvane.log を確認してください。");
    // While another run holds Pinvane.log the box names the run's own log.
    EXPECT_EQ(buildSummaryText({{L"Chrome", RollbackState::NotChanged}}, false, L"D:\\B",
                               L"Pinvane_2.log"),
              L"Bookmarks could not be added to the following browsers.\r\n"
              L"\r\n  ・Chrome：not changed"
              L"\r\n\r\nSee Pinvane_2.log for details.");
}

#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <map>

using namespace testutil;

namespace {

const char* const previewIni =
    "[Settings]\r\nInsertPosition=top\r\n"
    "[Portal]\r\nTitle=社内ポータル\r\nUrl=https://portal.example.com/\r\n"
    "[Existing]\r\nTitle=Acc Existing\r\nUrl=https://new.example.com/\r\n"
    "[News]\r\nTitle=News Today\r\nUrl=https://news.example.net/today\r\n";

const std::string previewStart = "プレビュー: ブラウザーを閉じず、ファイルを変更しません";
const std::string previewEnd = "プレビュー終了（何も変更していません）";

std::map<std::wstring, std::string> browserFiles(const PinvaneFolder& folder) {
    std::map<std::wstring, std::string> files;
    for (const wchar_t* browser : {L"Edge", L"Chrome", L"Firefox"})
        for (auto& [name, bytes] : filesBelow(folder.path(browser)))
            files[std::wstring(browser) + L"\\" + name] = std::move(bytes);
    return files;
}

std::vector<std::string> actionLines(const std::vector<std::string>& lines) {
    std::vector<std::string> actions;
    for (const std::string& line : lines)
        if (line.find(": 追加: ") != std::string::npos ||
            line.find(": URL置換: ") != std::string::npos ||
            line.find(": 変更なし: ") != std::string::npos)
            actions.push_back(line);
    return actions;
}

void exec(sqlite3* db, const char* sql) {
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
}

// Leaves a change in the database's -wal only, as a browser that was ended abruptly does:
// made on a copy that stays open (so it is never checkpointed), then copied back.
void leaveChangeInWal(const std::wstring& database, const char* sql) {
    const std::wstring staging = scratchFolder(L"e2e-preview-staging") + L"\\places.sqlite";
    ASSERT_TRUE(CopyFileW(database.c_str(), staging.c_str(), FALSE));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(wideToUtf8(staging).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
              SQLITE_OK);
    exec(db, "PRAGMA wal_autocheckpoint = 0");
    exec(db, sql);
    EXPECT_TRUE(CopyFileW(staging.c_str(), database.c_str(), FALSE));
    EXPECT_TRUE(CopyFileW((staging + L"-wal").c_str(), (database + L"-wal").c_str(), FALSE));
    sqlite3_close(db);
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(PinvanePreview, ChangesNothingAndReportsWhatTheRunThenDoes) {
    PinvaneFolder folder(L"e2e-preview");
    folder.writeIni(previewIni);
    folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
    folder.addChromiumProfile(L"Chrome", L"Profile 2", fixtures::chromiumBookmarks);
    const std::wstring places = folder.addFirefoxProfile(L"abc.default-release");
    leaveChangeInWal(places, "UPDATE moz_bookmarks SET title = 'News Today' WHERE id = 9");
    // A -shm as a running Firefox leaves one; SQLite rebuilds a stale one from the -wal.
    writeBytes(places + L"-shm", std::string(32768, '\0'));
    const auto before = browserFiles(folder);
    ASSERT_TRUE(before.count(L"Firefox\\Profiles\\abc.default-release\\places.sqlite-wal"));
    ASSERT_TRUE(before.count(L"Firefox\\Profiles\\abc.default-release\\places.sqlite-shm"));

    std::vector<std::wstring> options = folder.browserOptions();
    options.push_back(L"--preview");
    const RunResult preview = runPinvane(folder, options);
    EXPECT_EQ(preview.exitCode, 0u);
    EXPECT_TRUE(preview.boxTexts.empty());
    EXPECT_EQ(browserFiles(folder), before);
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));

    const auto previewLog = folder.logLines();
    ASSERT_GE(previewLog.size(), 3u);
    EXPECT_EQ(previewLog.front(), previewStart);
    EXPECT_EQ(previewLog[previewLog.size() - 2], "完了");
    EXPECT_EQ(previewLog.back(), previewEnd);
    // The change that only the -wal holds is seen: the title exists already.
    EXPECT_TRUE(contains(previewLog, "Firefox(abc.default-release): 変更なし: News Today"));

    const RunResult run = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(run.exitCode, 0u);
    const auto runLog = folder.logLines();
    EXPECT_FALSE(contains(runLog, previewStart));
    EXPECT_EQ(actionLines(previewLog), actionLines(runLog));
    EXPECT_EQ(actionLines(runLog).size(), 9u);
    EXPECT_NE(browserFiles(folder), before);
}

TEST(PinvanePreview, DamagedBookmarksFailsTheBrowserAndSaysItWasAPreview) {
    PinvaneFolder folder(L"e2e-preview-damaged");
    folder.writeIni(previewIni);
    const std::wstring good =
        folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
    const std::wstring damaged = folder.addChromiumProfile(L"Edge", L"Profile 1", "{\"roots\": [");
    std::vector<std::wstring> options = folder.browserOptions();
    options.push_back(L"--preview");

    const RunResult result = runPinvane(folder, options);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(readBytes(good), fixtures::chromiumBookmarks);
    EXPECT_EQ(readBytes(damaged), "{\"roots\": [");
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));

    const auto lines = folder.logLines();
    const auto fault = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("Edge(Profile 1): Bookmarks の JSON を解析できません: ");
    });
    ASSERT_NE(fault, lines.end());
    ASSERT_NE(fault + 1, lines.end());
    EXPECT_EQ(*(fault + 1), "Edge: エラーのため、このブラウザーは変更されません");
    EXPECT_EQ(lines.back(), previewEnd);
    EXPECT_TRUE(contains(lines, "完了（失敗あり）"));

    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], L"This was a preview: nothing was changed.\r\n\r\n"
                                  L"Bookmarks could not be added to the following browsers.\r\n"
                                  L"\r\n  ・Edge：not changed\r\n\r\nSee Pinvane.log for details.");
}

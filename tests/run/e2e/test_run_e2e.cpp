#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testutil;

namespace {

const char* const oneBookmarkIni = "[Portal]\r\nTitle=Portal\r\nUrl=https://Portal.Example.com\r\n";

const char* const bookmarksIni =
    "[Settings]\r\nInsertPosition=top\r\n"
    "[Portal]\r\nTitle=社内ポータル\r\nUrl=https://portal.example.com/\r\n"
    "[Existing]\r\nTitle=Acc Existing\r\nUrl=https://new.example.com/\r\n";

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string u8(const std::wstring& text) {
    return wideToUtf8(text);
}

// The single run folder below Backup.
std::wstring runFolderOf(const PinvaneFolder& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(folder.path(L"Backup\\*").c_str(), &entry);
    std::wstring found;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..")
                found = folder.path(L"Backup\\" + name);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    return found;
}

std::vector<std::vector<std::string>> toolbar(const std::wstring& database) {
    return queryRows(database,
                     "SELECT b.title, p.url, b.position FROM moz_bookmarks b LEFT JOIN "
                     "moz_places p ON p.id = b.fk WHERE b.parent = 3 ORDER BY b.position",
                     3);
}

} // namespace

TEST(PinvaneRun, MissingSettingsEndsWithTwoAndNoBox) {
    PinvaneFolder folder(L"e2e-missing");
    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_TRUE(result.boxTexts.empty());
    const auto lines = folder.logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "設定ファイルを読み込めません: " + u8(folder.path(L"Pinvane.ini")));
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));
}

TEST(PinvaneRun, SettingsWithoutBookmarksEndsWithTwo) {
    PinvaneFolder folder(L"e2e-nobookmark");
    folder.writeIni("[Settings]\r\nCloseTimeoutSeconds=5\r\n[Half]\r\nTitle=No URL\r\n");
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_TRUE(result.boxTexts.empty());
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "設定: [Half] は Title と Url の両方が必要です。無視します");
    EXPECT_EQ(lines[1],
              "追加するブックマークが設定されていません: " + u8(folder.path(L"Pinvane.ini")));
    EXPECT_EQ(readBytes(chrome), fixtures::chromiumBookmarks);
}

TEST(PinvaneRun, NoBrowserInstalled) {
    PinvaneFolder folder(L"e2e-nobrowser");
    folder.writeIni(oneBookmarkIni);
    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxTexts.empty());
    const std::vector<std::string> expected = {
        "設定ファイル: " + u8(folder.path(L"Pinvane.ini")) + "（1 件）",
        "Edge: 未インストールのためスキップ",
        "Chrome: 未インストールのためスキップ",
        "Firefox: 未インストールのためスキップ",
        "完了（追加先がありません）",
    };
    EXPECT_EQ(folder.logLines(), expected);
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));
}

TEST(PinvaneRun, EditsEveryProfileAndKeepsBackups) {
    PinvaneFolder folder(L"e2e-all");
    folder.writeIni(bookmarksIni);
    const std::wstring edge =
        folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Profile 2", fixtures::chromiumBookmarks);
    const std::wstring places = folder.addFirefoxProfile(L"abc.default-release");

    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.boxTexts.empty());
    const auto lines = folder.logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "完了");
    EXPECT_TRUE(
        contains(lines, "Edge(Default): 追加: 社内ポータル -> https://portal.example.com/"));
    EXPECT_TRUE(contains(lines, "Chrome(Profile 2): URL置換: Acc Existing: "
                                "https://old.example.com/before -> https://new.example.com/"));
    EXPECT_TRUE(contains(lines, "Firefox(abc.default-release): 追加: 社内ポータル -> "
                                "https://portal.example.com/"));

    for (const std::wstring& file : {edge, chrome}) {
        const std::string text = readBytes(file);
        EXPECT_NE(text.find("\"name\": \"社内ポータル\""), std::string::npos);
        EXPECT_NE(text.find("https://new.example.com/"), std::string::npos);
        EXPECT_EQ(text.find("\"checksum\""), std::string::npos);
    }
    const auto rows = toolbar(places);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"社内ポータル", "https://portal.example.com/", "0"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Acc Existing", "https://new.example.com/", "1"}));
    EXPECT_EQ(rows[2][0], "Work");
    EXPECT_EQ(rows[3][0], "Example");

    // Backup\<run>\<label>\<file>, one run folder for every browser.
    const std::wstring run = runFolderOf(folder);
    ASSERT_FALSE(run.empty());
    const std::wstring runName = run.substr(run.find_last_of(L'\\') + 1);
    EXPECT_EQ(runName.size(), 15u);
    EXPECT_EQ(runName[8], L'_');
    EXPECT_EQ(readBytes(run + L"\\Edge(Default)\\Bookmarks"), fixtures::chromiumBookmarks);
    EXPECT_EQ(readBytes(run + L"\\Chrome(Profile 2)\\Bookmarks"), fixtures::chromiumBookmarks);
    EXPECT_TRUE(fileExists(run + L"\\Firefox(abc.default-release)\\places.sqlite"));
    EXPECT_FALSE(fileExists(run + L"\\Firefox(abc.default-release)\\places.sqlite-wal"));
}

namespace {

// Edge has a good profile and a broken one; Chrome and Firefox are fine.
struct FailingEdge {
    explicit FailingEdge(const std::wstring& name) : folder(name) {
        folder.writeIni(bookmarksIni);
        edgeGood = folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
        edgeBad = folder.addChromiumProfile(L"Edge", L"Profile 1", brokenJson);
        chrome = folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
        places = folder.addFirefoxProfile(L"p1");
    }
    void expectOutcome(const RunResult& result) const {
        EXPECT_EQ(result.exitCode, 1u);
        EXPECT_EQ(readBytes(edgeGood), fixtures::chromiumBookmarks);
        EXPECT_EQ(readBytes(edgeBad), brokenJson);
        EXPECT_NE(readBytes(chrome), fixtures::chromiumBookmarks);
        EXPECT_EQ(toolbar(places).size(), 4u);
        const auto lines = folder.logLines();
        EXPECT_TRUE(contains(lines, "Edge: エラーが発生したため、バックアップから元に戻します"));
        EXPECT_TRUE(contains(lines, "バックアップから元に戻しました"));
        EXPECT_TRUE(contains(lines, "Edge(Profile 1): Bookmarks の JSON を解析できません: "
                                    "キーが文字列ではありません（位置 11）"));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "完了（失敗あり）");
    }
    static constexpr const char* brokenJson = "{\"roots\": {";
    PinvaneFolder folder;
    std::wstring edgeGood, edgeBad, chrome, places;
};

} // namespace

TEST(PinvaneRun, FailingEdgeProfileRollsBackEdgeOnly) {
    FailingEdge setup(L"e2e-edgefail");
    const RunResult result = runPinvane(setup.folder, setup.folder.browserOptions());
    setup.expectOutcome(result);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], L"Bookmarks could not be added to the following browsers.\r\n"
                                  L"\r\n  ・Edge：changes were rolled back"
                                  L"\r\n\r\nSee Pinvane.log for details.");
}

TEST(PinvaneRun, NoDialogWritesTheSameLogWithoutABox) {
    FailingEdge setup(L"e2e-nodialog");
    std::vector<std::wstring> arguments = setup.folder.browserOptions();
    arguments.push_back(L"--no-dialog");
    const RunResult result = runPinvane(setup.folder, arguments);
    setup.expectOutcome(result);
    EXPECT_TRUE(result.boxTexts.empty());
}

// Runs in its own CTest entry with LC_ALL=ja_JP.UTF-8, which Wine passes on to Pinvane.
TEST(PinvaneRun, JapaneseUiGetsAJapaneseSummary) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_JAPANESE)
        GTEST_SKIP() << "needs a Japanese UI language";
    FailingEdge setup(L"e2e-japanese");
    const RunResult result = runPinvane(setup.folder, setup.folder.browserOptions());
    setup.expectOutcome(result);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], L"ブックマークを追加できなかったブラウザがあります。\r\n"
                                  L"\r\n  ・Edge：変更を元に戻しました"
                                  L"\r\n\r\n詳細は Pinvane.log を確認してください。");
}

TEST(PinvaneRun, TwoFailingBrowsersInTableOrder) {
    PinvaneFolder folder(L"e2e-twofail");
    folder.writeIni(oneBookmarkIni);
    folder.addChromiumProfile(L"Edge", L"Default", "[]");
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    const std::wstring places = folder.addFirefoxProfile(L"p1");
    writeBytes(places, "this is not a database, just some text that fills the header....");

    const RunResult result = runPinvane(folder, folder.browserOptions());
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0], L"Bookmarks could not be added to the following browsers.\r\n"
                                  L"\r\n  ・Edge：changes were rolled back"
                                  L"\r\n  ・Firefox：changes were rolled back"
                                  L"\r\n\r\nSee Pinvane.log for details.");
    EXPECT_TRUE(contains(folder.logLines(),
                         "Edge(Default): ブックマークバー(bookmark_bar)が見つかりません"));
    EXPECT_NE(readBytes(chrome), fixtures::chromiumBookmarks);
}

TEST(PinvaneRun, FailedRestoreNamesTheRunFolder) {
    PinvaneFolder folder(L"e2e-restorefail");
    folder.writeIni(oneBookmarkIni);
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    // Readers may share the file, but nobody may replace or overwrite it.
    HANDLE holder = CreateFileW(chrome.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const RunResult result = runPinvane(folder, folder.browserOptions());
    CloseHandle(holder);

    EXPECT_EQ(result.exitCode, 1u);
    const std::wstring run = runFolderOf(folder);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_EQ(result.boxTexts[0],
              L"Bookmarks could not be added to the following browsers.\r\n"
              L"\r\n  ・Chrome：could not be rolled back"
              L"\r\n\r\nPlease restore the browsers that could not be rolled back manually from "
              L"the backup in this folder.\r\n" +
                  run + L"\r\n\r\nSee Pinvane.log for details.");
    const auto lines = folder.logLines();
    EXPECT_TRUE(contains(lines, "Chrome(Default): Bookmarks を書き込めません"));
    EXPECT_TRUE(contains(
        lines, "バックアップからの復元に失敗したファイルがあります。バックアップ: " + u8(run)));
    EXPECT_EQ(readBytes(chrome), fixtures::chromiumBookmarks);
}

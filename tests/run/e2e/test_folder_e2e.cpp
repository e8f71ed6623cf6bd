#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testutil;

namespace {

const char* const folderIni =
    "[Portal]\r\nTitle=社内ポータル\r\nUrl=https://portal.example.com/\r\n"
    "Folder=社内リンク\r\n"
    "[Wiki]\r\nTitle=Wiki\r\nUrl=https://wiki.example.com/\r\n"
    "Folder = 社内リンク\r\n"
    "[Help]\r\nTitle=Help\r\nUrl=https://help.example.com/\r\n";

const char* const labels[] = {"Edge(Default)", "Chrome(Default)", "Firefox(abc.default-release)"};

size_t count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

} // namespace

TEST(PinvaneFolders, BookmarksGoIntoOneFolderOnceAndASecondRunChangesNothing) {
    PinvaneFolder folder(L"e2e-folders");
    folder.writeIni(folderIni);
    const std::wstring edge =
        folder.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks);
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    const std::wstring places = folder.addFirefoxProfile(L"abc.default-release");

    std::vector<std::wstring> preview = folder.browserOptions();
    preview.push_back(L"--preview");
    ASSERT_EQ(runPinvane(folder, preview).exitCode, 0u);
    const auto previewLines = folder.logLines();
    EXPECT_EQ(readBytes(edge), fixtures::chromiumBookmarks);

    ASSERT_EQ(runPinvane(folder, folder.browserOptions()).exitCode, 0u);
    const auto first = folder.logLines();
    for (const std::string label : labels) {
        SCOPED_TRACE(label);
        for (const auto* lines : {&previewLines, &first}) {
            EXPECT_EQ(count(*lines, label + ": フォルダー作成: 社内リンク"), 1u);
            EXPECT_EQ(count(*lines, label + ": 追加: 社内ポータル -> https://portal.example.com/"
                                            "（フォルダー: 社内リンク）"),
                      1u);
            EXPECT_EQ(count(*lines, label + ": 追加: Wiki -> https://wiki.example.com/"
                                            "（フォルダー: 社内リンク）"),
                      1u);
            EXPECT_EQ(count(*lines, label + ": 追加: Help -> https://help.example.com/"), 1u);
        }
    }
    EXPECT_EQ(queryRows(places,
                        "SELECT b.title, b.position FROM moz_bookmarks b JOIN moz_bookmarks f "
                        "ON f.id = b.parent WHERE f.title = '社内リンク' AND f.parent = 3 "
                        "ORDER BY b.position",
                        2),
              (std::vector<std::vector<std::string>>{{"社内ポータル", "0"}, {"Wiki", "1"}}));
    const std::string edgeAfter = readBytes(edge);
    EXPECT_NE(edgeAfter.find("\"name\": \"社内リンク\""), std::string::npos);

    ASSERT_EQ(runPinvane(folder, folder.browserOptions()).exitCode, 0u);
    const auto second = folder.logLines();
    for (const std::string label : labels) {
        SCOPED_TRACE(label);
        EXPECT_EQ(count(second, label + ": 変更なし: 社内ポータル"), 1u);
        EXPECT_EQ(count(second, label + ": 変更なし: Wiki"), 1u);
        EXPECT_EQ(count(second, label + ": 変更なし: Help"), 1u);
    }
    EXPECT_EQ(std::count_if(second.begin(), second.end(),
                            [](const std::string& line) {
                                return line.find("フォルダー作成") != std::string::npos ||
                                       line.find(": 追加: ") != std::string::npos;
                            }),
              0);
    EXPECT_EQ(readBytes(edge), edgeAfter);
    EXPECT_EQ(queryRows(places, "SELECT COUNT(*) FROM moz_bookmarks WHERE title = '社内リンク'", 1),
              (std::vector<std::vector<std::string>>{{"1"}}));
}

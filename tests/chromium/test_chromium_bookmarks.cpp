#include "pinvane/chromium/ChromiumBookmarks.h"
#include "pinvane/json/JsonParser.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/chromium/ChromiumFixtures.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

using namespace testutil;

namespace {

const std::wstring label = L"Chrome(Default)";
const std::string bom = "\xEF\xBB\xBF";

std::string folderNode(const std::string& name, const std::string& id) {
    return R"({"children": [], "id": ")" + id + R"(", "name": ")" + name +
           R"(", "type": "folder"})";
}

std::string urlNode(const std::string& name, const std::string& id, const std::string& url) {
    return R"({"id": ")" + id + R"(", "name": ")" + name + R"(", "type": "url", "url": ")" + url +
           R"("})";
}

// A minimal file around the bar's children (and, optionally, those of "other").
std::string barFile(const std::string& barChildren, const std::string& otherChildren = "") {
    return R"({"checksum": "00", "roots": {"bookmark_bar": {"children": [)" + barChildren +
           R"(], "id": "1", "name": "Bookmarks bar", "type": "folder"}, "other": {"children": [)" +
           otherChildren + R"(], "id": "2", "name": "Other bookmarks", "type": "folder"}}, )" +
           R"("version": 1})";
}

std::vector<std::string> memberNames(const JsonValue& node) {
    std::vector<std::string> names;
    for (const JsonMember& member : node.members())
        names.emplace_back(member.name);
    return names;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

FILETIME lastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class ChromiumBookmarksTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto scratch = scratchFolderWithLog(L"chromium-bookmarks");
        folder = scratch.folder;
        logPath = scratch.logPath;
        file = joinPath(folder, L"Bookmarks");
    }

    bool run(const std::string& content, const std::vector<BookmarkSpec>& bookmarks,
             InsertPosition position = InsertPosition::AfterFolders) {
        writeBytes(file, content);
        return logReport(label, addToChromiumBookmarks(file, bookmarks, position));
    }

    std::string logText() const { return readBytes(logPath).substr(3); }

    // The file as it is now, parsed; the document points into its bytes.
    struct Parsed {
        explicit Parsed(std::string text) : bytes(std::move(text)) {
            std::string error;
            EXPECT_TRUE(JsonParser(bytes).parse(document, error)) << error;
        }
        std::string bytes;
        JsonDocument document;
        JsonValue& root = document.root;
    };

    std::unique_ptr<Parsed> written() const { return std::make_unique<Parsed>(readBytes(file)); }

    static JsonValue& bar(JsonValue& root) {
        return *root.findMember("roots")->findMember("bookmark_bar");
    }

    std::vector<std::string> barNames() const {
        const auto parsed = written();
        std::vector<std::string> names;
        for (const JsonValue& child : bar(parsed->root).findMember("children")->items())
            names.push_back(std::string(child.findMember("name")->text()));
        return names;
    }

    std::wstring folder, logPath, file;
};

} // namespace

TEST_F(ChromiumBookmarksTest, RewritesInSerializerLayoutKeepingUnknownMembers) {
    // LF or CR LF, with or without a byte order mark: the result is the same bytes.
    std::string crlf = chromiumFixture;
    replaceAll(crlf, "\n", "\r\n");
    for (const std::string& input : {chromiumFixture, bom + crlf}) {
        SetUp();
        ASSERT_TRUE(run(input, {{"New One", "https://new.example.com/"},
                                {"Existing", "https://new.example.com/existing"}}));

        const auto parsed = written();
        JsonValue& root = parsed->root;
        JsonValue& barNode = bar(root);
        const JsonValue& added = barNode.findMember("children")->items()[1];
        const std::string guid(added.findMember("guid")->text());
        const std::string dateAdded(added.findMember("date_added")->text());
        const std::string dateModified(barNode.findMember("date_modified")->text());
        EXPECT_EQ(guid.size(), 36u);
        EXPECT_GT(dateAdded, "13441368092746271");
        EXPECT_GE(dateModified, dateAdded);

        std::string bytes = readBytes(file);
        replaceAll(bytes, guid, "GUID");
        replaceAll(bytes, dateAdded, "NOW");
        replaceAll(bytes, dateModified, "NOW");
        EXPECT_EQ(bytes, chromiumFixtureEdited);

        EXPECT_EQ(logText(), "Chrome(Default): 追加: New One -> https://new.example.com/\r\n"
                             "Chrome(Default): URL置換: Existing: https://old.example.com/before"
                             " -> https://new.example.com/existing\r\n");
        EXPECT_FALSE(fileExists(file + L".pinvane.tmp"));
    }
}

TEST_F(ChromiumBookmarksTest, NothingChangedMeansNothingWritten) {
    const std::string input = bom + chromiumFixture;
    writeBytes(file, input);
    // An old time, so that any rewrite would show.
    const FILETIME old = {0x12345678, 0x01D00000};
    {
        HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        SetFileTime(handle, nullptr, nullptr, &old);
        CloseHandle(handle);
    }

    EXPECT_TRUE(logReport(label, addToChromiumBookmarks(file, {}, InsertPosition::AfterFolders)));
    EXPECT_EQ(logText(), "");

    // Matches in a nested folder, in the bar and in another root.
    EXPECT_TRUE(
        logReport(label, addToChromiumBookmarks(file,
                                                {{"Inside A", "https://inside.example.com/a"},
                                                 {"Existing", "https://old.example.com/before"},
                                                 {"Elsewhere", "https://elsewhere.example.com/"}},
                                                InsertPosition::Top)));
    EXPECT_EQ(logText(), "Chrome(Default): 変更なし: Inside A\r\n"
                         "Chrome(Default): 変更なし: Existing\r\n"
                         "Chrome(Default): 変更なし: Elsewhere\r\n");

    EXPECT_EQ(readBytes(file), input);
    const FILETIME now = lastWriteTime(file);
    EXPECT_EQ(CompareFileTime(&now, &old), 0);
}

TEST_F(ChromiumBookmarksTest, TitleInAnotherRootIsUpdatedThereOnly) {
    ASSERT_TRUE(run(chromiumFixture, {{"Elsewhere", "https://moved.example.com/"}}));
    EXPECT_EQ(logText(), "Chrome(Default): URL置換: Elsewhere: https://elsewhere.example.com/ -> "
                         "https://moved.example.com/\r\n");
    const auto parsed = written();
    JsonValue& root = parsed->root;
    EXPECT_EQ(bar(root).findMember("children")->items().size(), 2u);
    // A URL replacement alone leaves the bar's date alone; the checksum goes anyway.
    EXPECT_EQ(bar(root).findMember("date_modified")->text(), "13441368092746271");
    EXPECT_EQ(root.findMember("checksum"), nullptr);
    const JsonValue& moved =
        root.findMember("roots")->findMember("other")->findMember("children")->items()[0];
    EXPECT_EQ(moved.findMember("url")->text(), "https://moved.example.com/");
    EXPECT_EQ(memberNames(moved).back(), "url");
}

TEST_F(ChromiumBookmarksTest, EveryMatchInDocumentOrder) {
    // The folder of the same name is not a match; the bar's folder comes before "other".
    const std::string input = barFile(folderNode("Dup", "5") + R"(, {"children": [)" +
                                          urlNode("Dup", "6", "https://b.example/") +
                                          R"(], "id": "7", "name": "F", "type": "folder"})",
                                      urlNode("Dup", "8", "https://a.example/"));
    ASSERT_TRUE(run(input, {{"Dup", "https://a.example/"}}));
    EXPECT_EQ(logText(),
              "Chrome(Default): URL置換: Dup: https://b.example/ -> https://a.example/\r\n"
              "Chrome(Default): 変更なし: Dup\r\n");
    EXPECT_EQ(barNames(), (std::vector<std::string>{"Dup", "F"}));
}

TEST_F(ChromiumBookmarksTest, LaterBookmarksSeeNodesAddedEarlier) {
    ASSERT_TRUE(run(barFile(urlNode("Existing", "3", "https://e.example/")),
                    {{"Twice", "https://1.example/"},
                     {"existing", "https://case.example/"},
                     {"Twice", "https://2.example/"},
                     {"Twice", "https://2.example/"}}));
    EXPECT_EQ(logText(),
              "Chrome(Default): 追加: Twice -> https://1.example/\r\n"
              "Chrome(Default): 追加: existing -> https://case.example/\r\n"
              "Chrome(Default): URL置換: Twice: https://1.example/ -> https://2.example/\r\n"
              "Chrome(Default): 変更なし: Twice\r\n");
    const auto parsed = written();
    JsonValue& root = parsed->root;
    const auto& items = bar(root).findMember("children")->items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].findMember("name")->text(), "Twice");
    EXPECT_EQ(items[0].findMember("url")->text(), "https://2.example/");
    EXPECT_EQ(items[0].findMember("id")->text(), "4");
    EXPECT_EQ(items[1].findMember("name")->text(), "existing");
    EXPECT_EQ(items[1].findMember("id")->text(), "5");
}

TEST_F(ChromiumBookmarksTest, MatchWithoutUrlGetsOneAppended) {
    ASSERT_TRUE(run(barFile(R"({"id": "3", "name": "Bare", "type": "url", "meta_info": {}})"),
                    {{"Bare", "https://bare.example/"}}));
    EXPECT_EQ(logText(), "Chrome(Default): URL置換: Bare:  -> https://bare.example/\r\n");
    const auto parsed = written();
    JsonValue& root = parsed->root;
    const JsonValue& node = bar(root).findMember("children")->items()[0];
    EXPECT_EQ(memberNames(node),
              (std::vector<std::string>{"id", "name", "type", "meta_info", "url"}));
    EXPECT_EQ(node.findMember("url")->text(), "https://bare.example/");
}

TEST_F(ChromiumBookmarksTest, InsertPositions) {
    const std::string mixed = folderNode("F1", "2") + ", " + folderNode("F2", "3") + ", " +
                              urlNode("U", "4", "https://u.example/") + ", " +
                              folderNode("F3", "5");
    const std::string allFolders = folderNode("F1", "2") + ", " + folderNode("F2", "3");
    using Names = std::vector<std::string>;
    const struct {
        const char* what;
        std::string children;
        InsertPosition position;
        Names expected;
    } cases[] = {
        {"top", mixed, InsertPosition::Top, {"A", "B", "C", "F1", "F2", "U", "F3"}},
        {"afterfolders",
         mixed,
         InsertPosition::AfterFolders,
         {"F1", "F2", "A", "B", "C", "U", "F3"}},
        {"bottom", mixed, InsertPosition::Bottom, {"F1", "F2", "U", "F3", "A", "B", "C"}},
        {"unknown value",
         mixed,
         static_cast<InsertPosition>(7),
         {"A", "B", "C", "F1", "F2", "U", "F3"}},
        {"empty bar", "", InsertPosition::AfterFolders, {"A", "B", "C"}},
        {"all folders", allFolders, InsertPosition::AfterFolders, {"F1", "F2", "A", "B", "C"}},
        // A child without "type" ends the leading folders too.
        {"untyped child",
         folderNode("F1", "2") + R"(, {"name": "X"}, )" + folderNode("F2", "3"),
         InsertPosition::AfterFolders,
         {"F1", "A", "B", "C", "X", "F2"}},
    };
    for (const auto& c : cases) {
        SetUp();
        ASSERT_TRUE(run(
            barFile(c.children),
            {{"A", "https://a.example/"}, {"B", "https://b.example/"}, {"C", "https://c.example/"}},
            c.position))
            << c.what;
        EXPECT_EQ(barNames(), c.expected) << c.what;
    }
}

TEST_F(ChromiumBookmarksTest, NewIdsFollowTheLargestStringId) {
    const struct {
        const char* what;
        std::string content;
        const char* firstId;
    } cases[] = {
        {"largest outside the bar", chromiumFixture, "41"},
        {"digits then letters", barFile(urlNode("x", "12abc", "https://x/")), "13"},
        {"number ids ignored",
         barFile(R"({"id": 99, "name": "x", "type": "url", "url": "https://x/"})"), "3"},
        {"no string ids",
         R"({"roots": {"bookmark_bar": {"children": [], "id": 5}, "other": {"id": 9}}})", "1"},
        {"blank and sign", barFile(urlNode("x", "  +30", "https://x/")), "31"},
    };
    for (const auto& c : cases) {
        SetUp();
        ASSERT_TRUE(
            run(c.content, {{"N1", "https://n1/"}, {"N2", "https://n2/"}}, InsertPosition::Top))
            << c.what;
        const auto parsed = written();
        JsonValue& root = parsed->root;
        const auto& items = bar(root).findMember("children")->items();
        EXPECT_EQ(items[0].findMember("id")->text(), c.firstId) << c.what;
        EXPECT_EQ(std::stoll(std::string(items[1].findMember("id")->text())),
                  std::stoll(c.firstId) + 1)
            << c.what;
    }
}

TEST_F(ChromiumBookmarksTest, BarWithoutChildrenGetsThemLast) {
    ASSERT_TRUE(run(R"({"roots": {"bookmark_bar": {"id": "1", "type": "folder"}}})",
                    {{"A", "https://a/"}, {"B", "https://b/"}}));
    const auto parsed = written();
    JsonValue& root = parsed->root;
    JsonValue& barNode = bar(root);
    EXPECT_EQ(memberNames(barNode),
              (std::vector<std::string>{"id", "type", "children", "date_modified"}));
    EXPECT_EQ(barNames(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(ChromiumBookmarksTest, BarThatIsItselfAMatch) {
    // Giving the bar a "url" moves its members; the later insertion must still land in it.
    ASSERT_TRUE(run(R"({"roots": {"bookmark_bar": {"children": [], "id": "1", "name": "Bar", )"
                    R"("type": "url"}}})",
                    {{"Bar", "https://bar/"}, {"New", "https://new/"}}));
    const auto parsed = written();
    JsonValue& root = parsed->root;
    EXPECT_EQ(memberNames(bar(root)),
              (std::vector<std::string>{"children", "id", "name", "type", "url", "date_modified"}));
    EXPECT_EQ(barNames(), (std::vector<std::string>{"New"}));
}

TEST_F(ChromiumBookmarksTest, FilesItCannotEditStayUntouched) {
    const struct {
        const char* what;
        std::string content;
        const char* line;
    } cases[] = {
        {"root array", R"([{"roots": {"bookmark_bar": {}}}])",
         "ブックマークバー(bookmark_bar)が見つかりません"},
        {"bar a string", R"({"roots": {"bookmark_bar": "x"}})",
         "ブックマークバー(bookmark_bar)が見つかりません"},
        {"roots an array", R"({"roots": [{"bookmark_bar": {}}]})",
         "ブックマークバー(bookmark_bar)が見つかりません"},
        {"no roots", R"({"checksum": "0"})", "ブックマークバー(bookmark_bar)が見つかりません"},
        {"invalid JSON", R"({"roots": {}} x)",
         "Bookmarks の JSON を解析できません: 末尾に余分な文字があります（位置 14）"},
        {"byte order mark only", bom,
         "Bookmarks の JSON を解析できません: 予期しない終端です（位置 0）"},
        // The serializer would drop a node put into anything but an array.
        {"children an object", R"({"roots": {"bookmark_bar": {"children": {"0": {}}}}})",
         "ブックマークバーの children が配列ではないため変更しません"},
        {"children null", R"({"roots": {"bookmark_bar": {"children": null, "id": "1"}}})",
         "ブックマークバーの children が配列ではないため変更しません"},
    };
    for (const auto& c : cases) {
        SetUp();
        EXPECT_FALSE(run(c.content, {{"A", "https://a/"}})) << c.what;
        EXPECT_EQ(logText(), std::string("Chrome(Default): ") + c.line + "\r\n") << c.what;
        EXPECT_EQ(readBytes(file), c.content) << c.what;
    }

    SetUp();
    EXPECT_FALSE(
        logReport(label, addToChromiumBookmarks(joinPath(folder, L"missing"), {{"A", "https://a/"}},
                                                InsertPosition::Top)));
    EXPECT_EQ(logText(), "Chrome(Default): Bookmarks を読み込めません\r\n");
}

TEST_F(ChromiumBookmarksTest, WriteFailureLeavesTheFileAsItWas) {
    const std::string input = barFile(urlNode("Old", "3", "https://old/"));
    writeBytes(file, input);
    // Another process reading the file without sharing delete: the replacing move fails.
    HANDLE holder = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const bool result = logReport(
        label, addToChromiumBookmarks(file, {{"New", "https://new/"}}, InsertPosition::Top));
    CloseHandle(holder);

    EXPECT_FALSE(result);
    EXPECT_EQ(logText(), "Chrome(Default): 追加: New -> https://new/\r\n"
                         "Chrome(Default): Bookmarks を書き込めません\r\n");
    EXPECT_EQ(readBytes(file), input);
    EXPECT_FALSE(fileExists(file + L".pinvane.tmp"));
}

TEST(CollectTitleMatches, UrlNodesBeforeTheirDescendants) {
    JsonDocument document;
    JsonValue& root = document.root;
    std::string error;
    const std::string text =
        R"({"type": "url", "name": "T", "children": [{"type": "url", "name": "T"},)"
        R"( {"type": "folder", "name": "T", "children": [{"type": "url", "name": "T", "id": "x"}]},)"
        R"( {"type": "url", "name": "t"}, "T"]})";
    ASSERT_TRUE(JsonParser(text).parse(document, error)) << error;
    std::vector<JsonValue*> matches;
    collectTitleMatches(root, "T", matches);
    ASSERT_EQ(matches.size(), 3u);
    EXPECT_EQ(matches[0], &root);
    EXPECT_EQ(matches[1], &root.findMember("children")->items()[0]);
    EXPECT_EQ(matches[2]->findMember("id")->text(), "x");
}

TEST_F(ChromiumBookmarksTest, PreviewReportsTheEditAndWritesNothing) {
    const std::string input = barFile(urlNode("Old", "3", "https://old/"));
    writeBytes(file, input);
    const EditReport report = addToChromiumBookmarks(
        file, {{"New", "https://new/"}, {"Old", "https://old/2"}, {"Old", "https://old/2"}},
        InsertPosition::Top, EditMode::Preview);
    EXPECT_FALSE(report.failed);
    // The second entry of a title sees what the first one would have done.
    EXPECT_EQ(reportLines(label, report),
              (std::vector<std::wstring>{L"Chrome(Default): 追加: New -> https://new/",
                                         L"Chrome(Default): URL置換: Old: https://old/ -> "
                                         L"https://old/2",
                                         L"Chrome(Default): 変更なし: Old"}));
    EXPECT_EQ(readBytes(file), input);
    EXPECT_FALSE(fileExists(file + L".pinvane.tmp"));
}

TEST_F(ChromiumBookmarksTest, IdBeyondTheRangeReadsAsTheLargest) {
    // Read the way strtoll reads it: saturated, so no further id is free.
    const std::string input = barFile(urlNode("x", "99999999999999999999", "https://x/"));
    EXPECT_FALSE(run(input, {{"N", "https://n/"}}));
    EXPECT_EQ(logText(),
              "Chrome(Default): ブックマークの id が上限に達しているため追加できません: N\r\n");
    EXPECT_EQ(readBytes(file), input);
}

namespace {

std::vector<std::string> namesOf(const JsonValue& folder) {
    std::vector<std::string> names;
    for (const JsonValue& child : folder.findMember("children")->items())
        names.push_back(std::string(child.findMember("name")->text()) + "#" +
                        std::string(child.findMember("id")->text()));
    return names;
}

const JsonValue* barFolder(JsonValue& root, std::string_view name, int nth = 0) {
    for (const JsonValue& child :
         root.findMember("roots")->findMember("bookmark_bar")->findMember("children")->items())
        if (child.findMember("type")->text() == "folder" &&
            child.findMember("name")->text() == name && nth-- == 0)
            return &child;
    return nullptr;
}

} // namespace

TEST_F(ChromiumBookmarksTest, NewFolderTakesTheSlotOfANewBookmark) {
    const std::string input =
        barFile(folderNode("A", "3") + ", " + folderNode("B", "4") + ", " +
                urlNode("X", "5", "https://x/") + ", " + folderNode("C", "6"));
    const struct {
        InsertPosition position;
        std::vector<std::string> bar;
    } cases[] = {
        {InsertPosition::Top, {"Company", "n3", "A", "B", "X", "C"}},
        {InsertPosition::AfterFolders, {"A", "B", "Company", "n3", "X", "C"}},
        {InsertPosition::Bottom, {"A", "B", "X", "C", "Company", "n3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        SetUp();
        ASSERT_TRUE(run(input,
                        {{"n1", "https://n/1", "Company"},
                         {"n2", "https://n/2", "Company"},
                         {"n3", "https://n/3"}},
                        c.position));
        EXPECT_EQ(logText(), "Chrome(Default): フォルダー作成: Company\r\n"
                             "Chrome(Default): 追加: n1 -> https://n/1（フォルダー: Company）\r\n"
                             "Chrome(Default): 追加: n2 -> https://n/2（フォルダー: Company）\r\n"
                             "Chrome(Default): 追加: n3 -> https://n/3\r\n");
        EXPECT_EQ(barNames(), c.bar);
        const auto parsed = written();
        const JsonValue* company = barFolder(parsed->root, "Company");
        ASSERT_NE(company, nullptr);
        EXPECT_EQ(namesOf(*company), (std::vector<std::string>{"n1#8", "n2#9"}));
        // Made like the browser makes a folder: its members in the browser's order.
        std::vector<std::string> members;
        for (const JsonMember& member : company->members())
            members.emplace_back(member.name);
        EXPECT_EQ(members,
                  (std::vector<std::string>{"children", "date_added", "date_last_used",
                                            "date_modified", "guid", "id", "name", "type"}));
        EXPECT_EQ(company->findMember("id")->text(), "7");
        const std::string_view guid = company->findMember("guid")->text();
        ASSERT_EQ(guid.size(), 36u);
        EXPECT_EQ(guid[14], '4');
        EXPECT_EQ(guid.find_first_not_of("0123456789abcdef-"), std::string_view::npos);
        EXPECT_EQ(company->findMember("date_added")->text(),
                  company->findMember("date_modified")->text());
    }
}

TEST_F(ChromiumBookmarksTest, ExistingFolderIsReusedAndTitlesElsewhereStayWhereTheyAre) {
    const std::string company = R"({"children": [)" + urlNode("Inside", "4", "https://in/") +
                                R"(], "date_modified": "1", "id": "3", "name": "Company",)" +
                                R"( "type": "folder"})";
    const std::string input = barFile(urlNode("Company", "2", "https://company/") + ", " + company +
                                          ", " + folderNode("Company", "5"),
                                      urlNode("Elsewhere", "6", "https://old/"));
    ASSERT_TRUE(run(input, {{"n1", "https://n/1", "Company"},
                            {"Inside", "https://in/", "Company"},
                            {"Elsewhere", "https://new/", "Company"},
                            {"n1", "https://n/other", "Other"},
                            {"n2", "https://n/2", "Company"}}));
    EXPECT_EQ(logText(), "Chrome(Default): 追加: n1 -> https://n/1（フォルダー: Company）\r\n"
                         "Chrome(Default): 変更なし: Inside\r\n"
                         "Chrome(Default): URL置換: Elsewhere: https://old/ -> https://new/\r\n"
                         "Chrome(Default): URL置換: n1: https://n/1 -> https://n/other\r\n"
                         "Chrome(Default): 追加: n2 -> https://n/2（フォルダー: Company）\r\n");
    EXPECT_EQ(barNames(), (std::vector<std::string>{"Company", "Company", "Company"}));
    const auto parsed = written();
    const JsonValue* first = barFolder(parsed->root, "Company");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(namesOf(*first), (std::vector<std::string>{"Inside#4", "n1#7", "n2#8"}));
    EXPECT_EQ(first->findMember("children")->items()[1].findMember("url")->text(),
              "https://n/other");
    EXPECT_GT(first->findMember("date_modified")->text(), "1");
    EXPECT_TRUE(namesOf(*barFolder(parsed->root, "Company", 1)).empty());
    const JsonValue& other = *parsed->root.findMember("roots")->findMember("other");
    EXPECT_EQ(namesOf(other), std::vector<std::string>{"Elsewhere#6"});
}

TEST_F(ChromiumBookmarksTest, FolderWhoseChildrenIsNotAnArrayLeavesTheFileUntouched) {
    const std::string input =
        barFile(R"({"children": {"0": {}}, "id": "3", "name": "Company", "type": "folder"})");
    EXPECT_FALSE(run(input, {{"n1", "https://n/1", "Company"}}));
    EXPECT_EQ(logText(),
              "Chrome(Default): フォルダー Company の children が配列ではないため変更しません\r\n");
    EXPECT_EQ(readBytes(file), input);
}

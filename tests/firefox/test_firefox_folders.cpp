#include "tests/firefox/EditorFixture.h"

using placesfixture::Database;
using Lines = std::vector<std::string>;

namespace {

Lines childrenOf(Database& db, int64_t parent) {
    return db.rows("SELECT title, position FROM moz_bookmarks WHERE parent = " +
                       std::to_string(parent) + " ORDER BY position",
                   2);
}

int64_t folderNamed(Database& db, const std::string& title) {
    return db.integer("SELECT id FROM moz_bookmarks WHERE type = 2 AND title = '" + title + "'");
}

} // namespace

TEST_F(EditorTest, NewFolderTakesTheSlotOfANewBookmark) {
    struct Case {
        InsertPosition position;
        Lines toolbar;
    };
    const Case cases[] = {
        {InsertPosition::Top, {"Company|0", "n3|1", "old0|2", "old1|3", "old2|4", "old3|5"}},
        {InsertPosition::AfterFolders,
         {"old0|0", "old1|1", "Company|2", "n3|3", "old2|4", "old3|5"}},
        {InsertPosition::Bottom, {"old0|0", "old1|1", "old2|2", "old3|3", "Company|4", "n3|5"}},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        const std::wstring sub = folder + L"\\" + std::to_wstring(++round);
        CreateDirectoryW(sub.c_str(), nullptr);
        path = placesfixture::createPlaces(sub);
        {
            Database db(path);
            const int64_t place = db.addPlace("https://old.example/", "old", 1);
            db.addItem(2, toolbarId, 0, "old0");
            db.addItem(2, toolbarId, 1, "old1");
            db.addItem(1, toolbarId, 2, "old2", place);
            db.addItem(2, toolbarId, 3, "old3");
        }
        RunLog::open(logPath);
        ASSERT_TRUE(run({{"n1", "https://n.example/1", "Company"},
                         {"n2", "https://n.example/2", "Company"},
                         {"n3", "https://n.example/3"}},
                        c.position));
        EXPECT_EQ(log(),
                  (Lines{"Firefox(test): フォルダー作成: Company",
                         "Firefox(test): 追加: n1 -> https://n.example/1（フォルダー: Company）",
                         "Firefox(test): 追加: n2 -> https://n.example/2（フォルダー: Company）",
                         "Firefox(test): 追加: n3 -> https://n.example/3"}));
        Database db(path);
        EXPECT_EQ(childrenOf(db, toolbarId), c.toolbar);
        const int64_t company = folderNamed(db, "Company");
        EXPECT_EQ(childrenOf(db, company), (Lines{"n1|0", "n2|1"}));
        // Like a folder Firefox made itself: new to sync, with its own guid and times.
        EXPECT_EQ(db.rows("SELECT fk IS NULL, parent, length(guid), dateAdded = lastModified, "
                          "dateAdded > 1700000000000000, syncStatus, syncChangeCounter "
                          "FROM moz_bookmarks WHERE id = " +
                              std::to_string(company),
                          7),
                  (Lines{"1|3|12|1|1|1|3"}));
        EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    }
}

TEST_F(EditorTest, ExistingFolderIsReusedAndTitlesElsewhereStayWhereTheyAre) {
    makePlaces();
    int64_t first = 0;
    int64_t second = 0;
    {
        Database db(path);
        const int64_t place = db.addPlace("https://old.example/", "old", 3);
        db.addItem(1, toolbarId, 0, "Company", place); // a bookmark, not a folder
        first = db.addItem(2, toolbarId, 1, "Company");
        db.addItem(1, first, 0, "Inside", place);
        second = db.addItem(2, toolbarId, 2, "Company");
        db.addItem(1, menuId, 0, "Elsewhere", place);
    }
    ASSERT_TRUE(run({{"n1", "https://n.example/1", "Company"},
                     {"Elsewhere", "https://new.example/", "Company"},
                     {"Inside", "https://old.example/", "Company"},
                     {"n2", "https://n.example/2", "Company"}}));
    EXPECT_EQ(log(),
              (Lines{"Firefox(test): 追加: n1 -> https://n.example/1（フォルダー: Company）",
                     "Firefox(test): URL置換: Elsewhere: https://old.example/ -> "
                     "https://new.example/",
                     "Firefox(test): 変更なし: Inside",
                     "Firefox(test): 追加: n2 -> https://n.example/2（フォルダー: Company）"}));
    Database db(path);
    EXPECT_EQ(childrenOf(db, toolbarId), (Lines{"Company|0", "Company|1", "Company|2"}));
    EXPECT_EQ(childrenOf(db, first), (Lines{"Inside|0", "n1|1", "n2|2"}));
    EXPECT_EQ(childrenOf(db, second), Lines{});
    EXPECT_EQ(childrenOf(db, menuId), Lines{"Elsewhere|0"});
}

TEST_F(EditorTest, AddedIntoAFolderIsFoundByTheSameTitleLater) {
    makePlaces();
    ASSERT_TRUE(run(
        {{"n1", "https://n.example/1", "Company"}, {"n1", "https://n.example/other", "Other"}}));
    EXPECT_EQ(log(), (Lines{"Firefox(test): フォルダー作成: Company",
                            "Firefox(test): 追加: n1 -> https://n.example/1（フォルダー: Company）",
                            "Firefox(test): URL置換: n1: https://n.example/1 -> "
                            "https://n.example/other"}));
    Database db(path);
    EXPECT_EQ(childrenOf(db, toolbarId), Lines{"Company|0"});
}

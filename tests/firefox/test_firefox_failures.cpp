#include "tests/firefox/EditorFixture.h"

using placesfixture::Database;
using Lines = std::vector<std::string>;

namespace {

const std::vector<BookmarkSpec> oneBookmark = {{"New", "https://new.example/"}};

} // namespace

TEST_F(EditorTest, MissingFileIsNeverCreated) {
    path = folder + L"\\places.sqlite";
    EXPECT_FALSE(run(oneBookmark));
    EXPECT_EQ(log(),
              Lines{"Firefox(test): places.sqlite を開けません: unable to open database file"});
    EXPECT_FALSE(testutil::fileExists(path));
}

TEST_F(EditorTest, NotADatabase) {
    path = folder + L"\\places.sqlite";
    const std::string garbage(8192, 'x');
    testutil::writeBytes(path, garbage);
    EXPECT_FALSE(run(oneBookmark));
    EXPECT_EQ(log(), Lines{"Firefox(test): SQL エラー: file is not a database"});
    EXPECT_EQ(testutil::readBytes(path), garbage);
}

TEST_F(EditorTest, NoToolbarRollsBack) {
    makePlaces();
    {
        Database db(path);
        db.exec("DELETE FROM moz_bookmarks WHERE guid = 'toolbar_____'");
    }
    const std::string before = placesfixture::snapshot(path);
    EXPECT_FALSE(run(oneBookmark));
    EXPECT_EQ(log(), Lines{"Firefox(test): ブックマークツールバー(toolbar_____)が見つかりません"});
    EXPECT_EQ(placesfixture::snapshot(path), before);
}

TEST_F(EditorTest, WriteLockHeldLongerThanTheBusyTimeout) {
    makePlaces();
    const std::string before = placesfixture::snapshot(path);
    const std::string fileBefore = testutil::readBytes(path);
    {
        Database holder(path);
        holder.exec("BEGIN IMMEDIATE");
        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(run(oneBookmark));
        const ULONGLONG waited = GetTickCount64() - start;
        EXPECT_GE(waited, 2900u);
        EXPECT_LT(waited, 10000u);
        holder.exec("ROLLBACK");
    }
    EXPECT_EQ(log(), Lines{"Firefox(test): SQL エラー: database is locked"});
    EXPECT_EQ(testutil::readBytes(path), fileBefore);
    EXPECT_EQ(placesfixture::snapshot(path), before);
}

TEST_F(EditorTest, FailureMidListUndoesTheWholeCall) {
    makePlaces();
    {
        Database db(path);
        const int64_t place = db.addPlace("https://old.example/", "Old", 1);
        db.addItem(1, toolbarId, 0, "Moved", place);
        // Refuses the third bookmark's insert, after two have been handled.
        db.exec("CREATE TRIGGER refuse BEFORE INSERT ON moz_bookmarks WHEN NEW.title = 'Bad' "
                "BEGIN SELECT RAISE(ABORT, 'refused by test'); END");
    }
    const std::string before = placesfixture::snapshot(path);
    EXPECT_FALSE(run({{"First", "https://first.example/"},
                      {"Moved", "https://moved.example/"},
                      {"Bad", "https://bad.example/"},
                      {"Never", "https://never.example/"}}));
    EXPECT_EQ(log(), (Lines{"Firefox(test): 追加: First -> https://first.example/",
                            "Firefox(test): URL置換: Moved: https://old.example/ -> "
                            "https://moved.example/",
                            "Firefox(test): SQL エラー: refused by test"}));
    EXPECT_EQ(placesfixture::snapshot(path), before);
    EXPECT_EQ(before.substr(0, 3), "ok\n");
}

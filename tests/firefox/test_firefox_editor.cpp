#include "pinvane/firefox/PlacesIdentifiers.h"
#include "tests/firefox/EditorFixture.h"

using placesfixture::Database;
using placesfixture::Schema;
using Lines = std::vector<std::string>;

namespace {

const std::string guidAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

Lines toolbarChildren(Database& db) {
    return db.rows("SELECT title, position FROM moz_bookmarks WHERE parent = 3 ORDER BY position",
                   2);
}

} // namespace

TEST_F(EditorTest, InsertPositions) {
    struct Case {
        const char* layout; // toolbar children by position: F folder, B bookmark, S separator
        InsertPosition position;
        int added;
        Lines expected;
    };
    const Case cases[] = {
        {"FFBF",
         InsertPosition::Top,
         3,
         {"new1|0", "new2|1", "new3|2", "old0|3", "old1|4", "old2|5", "old3|6"}},
        {"FFBF",
         InsertPosition::AfterFolders,
         2,
         {"old0|0", "old1|1", "new1|2", "new2|3", "old2|4", "old3|5"}},
        {"FSF", InsertPosition::AfterFolders, 1, {"old0|0", "new1|1", "old1|2", "old2|3"}},
        {"", InsertPosition::AfterFolders, 2, {"new1|0", "new2|1"}},
        {"FF", InsertPosition::AfterFolders, 1, {"old0|0", "old1|1", "new1|2"}},
        {"FFBF",
         InsertPosition::Bottom,
         2,
         {"old0|0", "old1|1", "old2|2", "old3|3", "new1|4", "new2|5"}},
    };
    int round = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.layout) + " position " +
                     std::to_string(static_cast<int>(c.position)));
        const std::wstring sub = folder + L"\\" + std::to_wstring(++round);
        CreateDirectoryW(sub.c_str(), nullptr);
        path = placesfixture::createPlaces(sub);
        {
            Database db(path);
            const int64_t place = db.addPlace("https://old.example/", "old", 0);
            for (int i = 0; c.layout[i]; ++i) {
                const int type = c.layout[i] == 'F' ? 2 : c.layout[i] == 'S' ? 3 : 1;
                db.addItem(type, toolbarId, i, "old" + std::to_string(i), type == 1 ? place : 0);
            }
        }
        std::vector<BookmarkSpec> bookmarks;
        for (int i = 1; i <= c.added; ++i)
            bookmarks.push_back(
                {"new" + std::to_string(i), "https://new.example/" + std::to_string(i)});
        ASSERT_TRUE(run(bookmarks, c.position));
        Database db(path);
        EXPECT_EQ(toolbarChildren(db), c.expected);
    }
}

TEST_F(EditorTest, NewBookmarkPlaceAndOriginColumns) {
    makePlaces();
    const std::vector<BookmarkSpec> bookmarks = {
        {"Example", "https://www.example.com:8443/a?b=c"},
        {"Example two", "https://www.example.com:8443/two"},
    };
    const int64_t before = nowMicros();
    ASSERT_TRUE(run(bookmarks));
    const int64_t after = nowMicros();
    EXPECT_EQ(log(),
              (Lines{"Firefox(test): 追加: Example -> https://www.example.com:8443/a?b=c",
                     "Firefox(test): 追加: Example two -> https://www.example.com:8443/two"}));

    Database db(path);
    const Lines marks =
        db.rows("SELECT b.type, b.parent, b.position, b.title, p.url, "
                "b.syncStatus, b.syncChangeCounter, b.dateAdded = b.lastModified "
                "FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk ORDER BY b.id",
                8);
    EXPECT_EQ(marks, (Lines{"1|3|0|Example|https://www.example.com:8443/a?b=c|1|1|1",
                            "1|3|1|Example two|https://www.example.com:8443/two|1|1|1"}));
    // One timestamp for the whole call: both rows and the toolbar folder.
    const int64_t stamp = db.integer("SELECT MIN(dateAdded) FROM moz_bookmarks WHERE type = 1");
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(db.integer("SELECT COUNT(DISTINCT lastModified) FROM moz_bookmarks WHERE type = 1 "
                         "OR id = 3"),
              1);
    EXPECT_EQ(db.integer("SELECT lastModified FROM moz_bookmarks WHERE id = 3"), stamp);
    EXPECT_EQ(db.integer("SELECT syncChangeCounter FROM moz_bookmarks WHERE id = 3"), 3);
    for (const std::string& guid :
         db.rows("SELECT guid FROM moz_bookmarks WHERE type = 1 UNION ALL "
                 "SELECT guid FROM moz_places",
                 1)) {
        EXPECT_EQ(guid.size(), 12u);
        EXPECT_EQ(guid.find_first_not_of(guidAlphabet), std::string::npos) << guid;
    }

    EXPECT_EQ(db.rows("SELECT id, prefix, host, frecency, recalc_frecency FROM moz_origins", 5),
              (Lines{"1|https://|www.example.com:8443|0|1"}));
    const std::string url = bookmarks[0].url;
    EXPECT_EQ(db.rows("SELECT title, rev_host, visit_count, hidden, typed, frecency, "
                      "foreign_count, origin_id, recalc_frecency FROM moz_places ORDER BY id",
                      9),
              (Lines{"Example|moc.elpmaxe.www.|0|0|0|-1|1|1|1",
                     "Example two|moc.elpmaxe.www.|0|0|0|-1|1|1|1"}));
    EXPECT_EQ(db.integer("SELECT url_hash FROM moz_places WHERE id = 1"), placesUrlHash(url));
}

TEST_F(EditorTest, ExistingPlaceAndOriginAreReused) {
    makePlaces();
    int64_t historyPlace = 0;
    {
        Database db(path);
        db.exec("INSERT INTO moz_origins (prefix, host, frecency) VALUES ('https://', "
                "'news.example', 50)");
        historyPlace = db.addPlace("https://news.example/today", "From history", 0);
    }
    ASSERT_TRUE(
        run({{"Today", "https://news.example/today"}, {"Other", "https://news.example/x"}}));
    Database db(path);
    EXPECT_EQ(
        db.rows("SELECT id, title, foreign_count, visit_count FROM moz_places ORDER BY id", 4),
        (Lines{std::to_string(historyPlace) + "|From history|1|3",
               std::to_string(historyPlace + 1) + "|Other|1|0"}));
    EXPECT_EQ(db.rows("SELECT id, frecency FROM moz_origins", 2), (Lines{"1|50"}));
    EXPECT_EQ(db.integer("SELECT origin_id FROM moz_places WHERE title = 'Other'"), 1);
    EXPECT_EQ(db.integer("SELECT fk FROM moz_bookmarks WHERE title = 'Today'"), historyPlace);
}

TEST_F(EditorTest, SchemaVariantsAndUrlsWithoutOrigin) {
    struct Case {
        const wchar_t* name;
        Schema schema;
        const char* url;
        const char* place; // rev_host, recalc_frecency, origin_id (or - when the column is absent)
        Lines origins;
    };
    const Case cases[] = {
        {L"no-origin-id", Schema::WithoutOriginId, "http://a.example/", "elpmaxe.a.|1|-", {}},
        {L"no-origins", Schema::WithoutOrigins, "http://a.example/", "elpmaxe.a.|1|-", {}},
        {L"recalc-places",
         Schema::RecalcInPlacesOnly,
         "http://a.example/",
         "elpmaxe.a.|1|1",
         {"http://|a.example|0"}},
        {L"javascript", Schema::Current, "javascript:void(0)", "|1|NULL", {}},
        {L"file", Schema::Current, "file:///C:/page.html", "|1|NULL", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testutil::narrow(c.name));
        const std::wstring sub = folder + L"\\" + c.name;
        CreateDirectoryW(sub.c_str(), nullptr);
        path = placesfixture::createPlaces(sub, c.schema);
        ASSERT_TRUE(run({{"Page", c.url}}));
        Database db(path);
        const bool originId = c.schema == Schema::Current || c.schema == Schema::RecalcInPlacesOnly;
        EXPECT_EQ(db.text(std::string("SELECT rev_host || '|' || recalc_frecency || '|' || ") +
                          (originId ? "IFNULL(origin_id, 'NULL')" : "'-'") + " FROM moz_places"),
                  c.place);
        if (c.schema != Schema::WithoutOrigins) {
            EXPECT_EQ(db.rows("SELECT prefix, host, frecency FROM moz_origins", 3), c.origins);
        }
    }
}

TEST_F(EditorTest, UrlReplacementAndUnchanged) {
    makePlaces();
    {
        Database db(path);
        const int64_t oldPlace = db.addPlace("https://old.example/docs", "Docs", 1);
        const int64_t keptPlace = db.addPlace("https://kept.example/", "Kept", 1);
        db.addItem(1, toolbarId, 0, "Docs", oldPlace);
        db.addItem(1, toolbarId, 1, "Kept", keptPlace);
    }
    ASSERT_TRUE(run({{"Docs", "https://new.example/docs"}, {"Kept", "https://kept.example/"}}));
    EXPECT_EQ(log(), (Lines{"Firefox(test): URL置換: Docs: https://old.example/docs -> "
                            "https://new.example/docs",
                            "Firefox(test): 変更なし: Kept"}));
    Database db(path);
    EXPECT_EQ(
        db.rows("SELECT p.url, b.parent, b.position, b.title, b.syncChangeCounter, "
                "b.lastModified > 1700000000000000 FROM moz_bookmarks b JOIN moz_places p "
                "ON p.id = b.fk WHERE b.type = 1 ORDER BY b.id",
                6),
        (Lines{"https://new.example/docs|3|0|Docs|1|1", "https://kept.example/|3|1|Kept|0|0"}));
    EXPECT_EQ(db.rows("SELECT url, foreign_count FROM moz_places ORDER BY id", 2),
              (Lines{"https://old.example/docs|0", "https://kept.example/|1",
                     "https://new.example/docs|1"}));
    // Repointing leaves the folder alone.
    EXPECT_EQ(db.rows("SELECT lastModified, syncChangeCounter FROM moz_bookmarks WHERE id = 3", 2),
              (Lines{"1700000000000000|1"}));
}

TEST_F(EditorTest, TitleElsewhereTwiceOrWithMissingPlace) {
    makePlaces();
    {
        Database db(path);
        const int64_t a = db.addPlace("https://a.example/", "A", 2);
        const int64_t target = db.addPlace("https://target.example/", "Target", 0);
        db.addItem(1, menuId, 0, "In menu", a);
        db.addItem(1, menuId, 1, "Twice", a);
        db.addItem(1, 5, 0, "Twice", target);
        db.addItem(1, 5, 1, "Orphan", 999);
    }
    ASSERT_TRUE(run({{"In menu", "https://target.example/"},
                     {"Twice", "https://target.example/"},
                     {"Orphan", "https://target.example/"}}));
    EXPECT_EQ(log(), (Lines{"Firefox(test): URL置換: In menu: https://a.example/ -> "
                            "https://target.example/",
                            "Firefox(test): URL置換: Twice: https://a.example/ -> "
                            "https://target.example/",
                            "Firefox(test): 変更なし: Twice",
                            "Firefox(test): URL置換: Orphan:  -> https://target.example/"}));
    Database db(path);
    EXPECT_EQ(toolbarChildren(db), Lines{});
    EXPECT_EQ(db.rows("SELECT parent, position, title, fk FROM moz_bookmarks WHERE type = 1 "
                      "ORDER BY id",
                      4),
              (Lines{"2|0|In menu|2", "2|1|Twice|2", "5|0|Twice|2", "5|1|Orphan|2"}));
    EXPECT_EQ(db.rows("SELECT url, foreign_count FROM moz_places ORDER BY id", 2),
              (Lines{"https://a.example/|0", "https://target.example/|3"}));
}

TEST_F(EditorTest, SameTitleTwiceInTheList) {
    makePlaces();
    ASSERT_TRUE(run({{"Dup", "https://one.example/"},
                     {"Dup", "https://two.example/"},
                     {"Same", "https://s.example/"},
                     {"Same", "https://s.example/"}},
                    InsertPosition::Top));
    EXPECT_EQ(log(), (Lines{"Firefox(test): 追加: Dup -> https://one.example/",
                            "Firefox(test): URL置換: Dup: https://one.example/ -> "
                            "https://two.example/",
                            "Firefox(test): 追加: Same -> https://s.example/",
                            "Firefox(test): 変更なし: Same"}));
    Database db(path);
    EXPECT_EQ(toolbarChildren(db), (Lines{"Dup|0", "Same|1"}));
    EXPECT_EQ(db.rows("SELECT url, foreign_count FROM moz_places ORDER BY id", 2),
              (Lines{"https://one.example/|0", "https://two.example/|1", "https://s.example/|1"}));
}

TEST_F(EditorTest, ExistingTitleTwiceInTheListSeesItsFirstChange) {
    makePlaces();
    {
        Database db(path);
        const int64_t a = db.addPlace("https://a.example/", "A", 2);
        db.addItem(1, menuId, 0, "Two", a);
        db.addItem(1, 5, 0, "Two", a);
    }
    ASSERT_TRUE(run({{"Two", "https://b.example/"}, {"Two", "https://c.example/"}}));
    EXPECT_EQ(log(),
              (Lines{"Firefox(test): URL置換: Two: https://a.example/ -> https://b.example/",
                     "Firefox(test): URL置換: Two: https://a.example/ -> https://b.example/",
                     "Firefox(test): URL置換: Two: https://b.example/ -> https://c.example/",
                     "Firefox(test): URL置換: Two: https://b.example/ -> https://c.example/"}));
    Database db(path);
    EXPECT_EQ(db.rows("SELECT url, foreign_count FROM moz_places ORDER BY id", 2),
              (Lines{"https://a.example/|0", "https://b.example/|0", "https://c.example/|2"}));
}

TEST_F(EditorTest, EmptyListStillNeedsTheToolbar) {
    makePlaces();
    const std::string before = placesfixture::snapshot(path);
    EXPECT_TRUE(run({}));
    EXPECT_EQ(log(), Lines{});
    EXPECT_EQ(placesfixture::snapshot(path), before);

    {
        Database db(path);
        db.exec("DELETE FROM moz_bookmarks WHERE guid = 'toolbar_____'");
    }
    EXPECT_FALSE(run({}));
    EXPECT_EQ(log(), Lines{"Firefox(test): ブックマークツールバー(toolbar_____)が見つかりません"});
}

TEST_F(EditorTest, PreviewReportsTheEditAndKeepsNoneOfIt) {
    makePlaces();
    {
        Database db(path);
        db.addItem(1, toolbarId, 0, "Docs", db.addPlace("https://old.example/docs", "Docs", 1));
    }
    const auto dump = [this] {
        Database db(path);
        return db.rows("SELECT b.id, b.title, b.position, p.url, p.foreign_count FROM "
                       "moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.id",
                       5);
    };
    const Lines before = dump();
    const EditReport report = addFirefoxBookmarks(
        path, {{"New", "https://new.example/"}, {"Docs", "https://new.example/docs"}},
        InsertPosition::Top, EditMode::Preview);
    EXPECT_FALSE(report.failed);
    EXPECT_EQ(reportLines(L"F", report),
              (std::vector<std::wstring>{
                  L"F: 追加: New -> https://new.example/",
                  L"F: URL置換: Docs: https://old.example/docs -> https://new.example/docs"}));
    EXPECT_EQ(dump(), before);
}

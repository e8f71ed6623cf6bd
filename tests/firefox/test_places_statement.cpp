#include "pinvane/firefox/PlacesSchema.h"
#include "pinvane/firefox/PlacesStatement.h"
#include "tests/common/TestUtil.h"
#include "tests/firefox/PlacesFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace placesfixture;

namespace {

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "<no exception>";
}

} // namespace

TEST(PlacesStatement, FinalizedOnEveryPathSoTheConnectionCloses) {
    const std::wstring folder = testutil::scratchFolder(L"statement-finalize");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(testutil::narrow(folder + L"\\a.sqlite").c_str(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    execOrRaise(db, "CREATE TABLE t (k TEXT UNIQUE, v INTEGER); INSERT INTO t VALUES ('a', NULL)");
    {
        PlacesStatement select = prepareStatement(db, "SELECT k, v FROM t");
        ASSERT_TRUE(select.step());
        EXPECT_EQ(select.columnText(0), "a");
        EXPECT_EQ(select.columnText(1), ""); // NULL
        EXPECT_FALSE(select.step());
    }
    // A failing step raises SQLite's message and still finalizes.
    EXPECT_EQ(errorOf([&] {
                  PlacesStatement insert = prepareStatement(db, "INSERT INTO t VALUES (?1, ?2)");
                  std::string key = "a";
                  insert.bindText(1, key);
                  key = "changed after bind"; // bound texts are copied
                  insert.bindInt64(2, 7);
                  insert.step();
              }),
              "SQL エラー: UNIQUE constraint failed: t.k");
    // Another exception passing a live statement finalizes it too.
    EXPECT_EQ(errorOf([&] {
                  PlacesStatement select = prepareStatement(db, "SELECT k FROM t");
                  select.step();
                  throw std::runtime_error("elsewhere");
              }),
              "elsewhere");
    // sqlite3_close refuses while any statement is left unfinalized.
    EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

TEST(PlacesStatement, ErrorTexts) {
    const std::wstring folder = testutil::scratchFolder(L"statement-errors");
    Database db(folder + L"\\a.sqlite", true);
    EXPECT_EQ(errorOf([&] { prepareStatement(db.get(), "SELECT * FROM nope"); }),
              "SQL エラー: no such table: nope");
    EXPECT_EQ(errorOf([&] { execOrRaise(db.get(), "DROP TABLE nope"); }),
              "SQL エラー: no such table: nope");
    // sqlite3_exec gives no error text for a missing connection.
    EXPECT_EQ(errorOf([&] { execOrRaise(nullptr, "SELECT 1"); }), "SQL エラー: ");
}

TEST(PlacesSchema, TableHasColumn) {
    const std::wstring folder = testutil::scratchFolder(L"schema-columns");
    Database db(createPlaces(folder), false);
    db.exec("CREATE TABLE odd (Origin_Id INTEGER)");
    EXPECT_TRUE(tableHasColumn(db.get(), "moz_places", "origin_id"));
    EXPECT_TRUE(tableHasColumn(db.get(), "moz_places", "url_hash"));
    EXPECT_FALSE(tableHasColumn(db.get(), "moz_places", "host"));
    EXPECT_FALSE(tableHasColumn(db.get(), "odd", "origin_id")); // letter case matters
    EXPECT_FALSE(tableHasColumn(db.get(), "missing_table", "id"));
}

TEST(PlacesSchema, ProbeVariants) {
    struct Case {
        const wchar_t* name;
        Schema schema;
        const char* extra;
        bool hasOrigins, placesRecalc, originsRecalc;
    };
    const Case cases[] = {
        {L"current", Schema::Current, "", true, true, true},
        {L"no-origin-id", Schema::WithoutOriginId, "", false, true, true},
        {L"no-origins", Schema::WithoutOrigins, "", false, true, false},
        {L"recalc-places", Schema::RecalcInPlacesOnly, "", true, true, false},
        // origin_id present but moz_origins lacks host.
        {L"origins-no-host", Schema::WithoutOrigins,
         "CREATE TABLE moz_origins (id INTEGER);"
         "ALTER TABLE moz_places ADD origin_id INTEGER",
         false, true, false},
        {L"places-no-recalc", Schema::WithoutOrigins,
         "ALTER TABLE moz_places DROP COLUMN recalc_frecency", false, false, false},
    };
    for (const Case& c : cases) {
        const std::wstring folder = testutil::scratchFolder(std::wstring(L"probe-") + c.name);
        Database db(createPlaces(folder, c.schema), false);
        if (*c.extra)
            db.exec(c.extra);
        const PlacesContext context = probePlacesSchema(db.get(), 1234);
        SCOPED_TRACE(testutil::narrow(c.name));
        EXPECT_EQ(context.connection, db.get());
        EXPECT_EQ(context.nowMicros, 1234);
        EXPECT_EQ(context.hasOrigins, c.hasOrigins);
        EXPECT_EQ(context.placesHasRecalcFrecency, c.placesRecalc);
        EXPECT_EQ(context.originsHasRecalcFrecency, c.originsRecalc);
    }
}

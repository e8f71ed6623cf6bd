#include "tests/firefox/PlacesFixture.h"

#include "pinvane/firefox/PlacesIdentifiers.h"
#include "pinvane/firefox/PlacesStatement.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <stdexcept>

namespace placesfixture {

namespace {

// Column sets, keys and indexes as Firefox writes them (moz_places,
// moz_bookmarks, moz_origins).
const char* const bookmarksTable =
    "CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT "
    "NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type "
    "TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL "
    "DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
    "CREATE INDEX moz_bookmarks_dateaddedindex ON moz_bookmarks (dateAdded);"
    "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);"
    "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
    "CREATE INDEX moz_bookmarks_itemlastmodifiedindex ON moz_bookmarks (fk, lastModified);"
    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);";

std::string originsTable(bool recalc) {
    return std::string("CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, "
                       "host TEXT NOT NULL, frecency INTEGER NOT NULL, ") +
           (recalc ? "recalc_frecency INTEGER NOT NULL DEFAULT 0, " : "") +
           "alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, block_until_ms "
           "INTEGER, block_pages_until_ms INTEGER, UNIQUE (prefix, host) );";
}

std::string placesTable(bool originId) {
    return std::string(
               "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
               "LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER "
               "DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 "
               "NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT "
               "NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url "
               "TEXT, site_name TEXT, ") +
           (originId ? "origin_id INTEGER REFERENCES moz_origins(id), " : "") +
           "recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, "
           "recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
           "CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);"
           "CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);"
           "CREATE INDEX moz_places_hostindex ON moz_places (rev_host);"
           "CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);" +
           (originId ? "CREATE INDEX moz_places_originidindex ON moz_places (origin_id);" : "") +
           "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
           "CREATE INDEX moz_places_visitcount ON moz_places (visit_count);";
}

const char* const roots =
    "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, lastModified, "
    "guid, syncStatus, syncChangeCounter) VALUES "
    "(1, 2, NULL, 0, 0, '', 1700000000000000, 1700000000000000, 'root________', 1, 1),"
    "(2, 2, NULL, 1, 0, 'menu', 1700000000000000, 1700000000000000, 'menu________', 1, 1),"
    "(3, 2, NULL, 1, 1, 'toolbar', 1700000000000000, 1700000000000000, 'toolbar_____', 1, 1),"
    "(4, 2, NULL, 1, 2, 'tags', 1700000000000000, 1700000000000000, 'tags________', 1, 1),"
    "(5, 2, NULL, 1, 3, 'unfiled', 1700000000000000, 1700000000000000, 'unfiled_____', 1, 1),"
    "(6, 2, NULL, 1, 4, 'mobile', 1700000000000000, 1700000000000000, 'mobile______', 1, 1);";

} // namespace

Database::Database(const std::wstring& path, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(wideToUtf8(path).c_str(), &connection, flags, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(connection);
        sqlite3_close(connection);
        throw std::runtime_error("fixture open: " + message);
    }
}

Database::~Database() {
    sqlite3_close(connection);
}

void Database::exec(const std::string& sql) {
    execOrRaise(connection, sql);
}

int64_t Database::integer(const std::string& sql) {
    PlacesStatement statement = prepareStatement(connection, sql);
    if (!statement.step())
        throw std::runtime_error("no row: " + sql);
    return statement.columnInt64(0);
}

std::string Database::text(const std::string& sql) {
    PlacesStatement statement = prepareStatement(connection, sql);
    if (!statement.step())
        throw std::runtime_error("no row: " + sql);
    return statement.columnText(0);
}

std::vector<std::string> Database::rows(const std::string& sql, int columns) {
    PlacesStatement statement = prepareStatement(connection, sql);
    std::vector<std::string> result;
    while (statement.step()) {
        std::string row;
        for (int i = 0; i < columns; ++i) {
            if (i > 0)
                row += "|";
            row += statement.columnText(i);
        }
        result.push_back(row);
    }
    return result;
}

int64_t Database::addPlace(const std::string& url, const std::string& title, int64_t foreignCount) {
    // Firefox's hash() SQL function is not available here; the vectors in the
    // identifier tests pin placesUrlHash to it.
    PlacesStatement insert = prepareStatement(
        connection, "INSERT INTO moz_places (url, title, rev_host, visit_count, frecency, guid, "
                    "foreign_count, url_hash) VALUES (?1, ?2, '', 3, 100, ?3, ?4, ?5)");
    insert.bindText(1, url);
    insert.bindText(2, title);
    static int counter = 0;
    insert.bindText(3, "fixture" + std::to_string(10000 + ++counter).substr(0, 5));
    insert.bindInt64(4, foreignCount);
    insert.bindInt64(5, placesUrlHash(url));
    insert.step();
    return sqlite3_last_insert_rowid(connection);
}

int64_t Database::addItem(int type, int64_t parent, int position, const std::string& title,
                          int64_t fk) {
    PlacesStatement insert = prepareStatement(
        connection, "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, "
                    "lastModified, guid, syncStatus, syncChangeCounter) VALUES (?1, ?2, ?3, ?4, "
                    "?5, 1700000000000000, 1700000000000000, ?6, 2, 0)");
    insert.bindInt64(1, type);
    if (fk != 0)
        insert.bindInt64(2, fk);
    insert.bindInt64(3, parent);
    insert.bindInt64(4, position);
    insert.bindText(5, title);
    static int counter = 0;
    insert.bindText(6, "item" + std::to_string(10000000 + ++counter));
    insert.step();
    return sqlite3_last_insert_rowid(connection);
}

std::wstring createPlaces(const std::wstring& folder, Schema schema) {
    const std::wstring path = folder + L"\\places.sqlite";
    Database db(path, true);
    db.exec("PRAGMA journal_mode = WAL");
    const bool originId = schema == Schema::Current || schema == Schema::RecalcInPlacesOnly;
    if (schema != Schema::WithoutOrigins)
        db.exec(originsTable(schema != Schema::RecalcInPlacesOnly));
    db.exec(placesTable(originId));
    db.exec(bookmarksTable);
    db.exec(roots);
    return path;
}

std::string snapshot(const std::wstring& path) {
    Database db(path);
    std::string out = db.text("PRAGMA integrity_check") + "\n";
    for (const char* table : {"moz_places", "moz_bookmarks", "moz_origins"}) {
        std::vector<std::string> columns;
        {
            PlacesStatement info =
                prepareStatement(db.get(), std::string("PRAGMA table_info(") + table + ")");
            while (info.step())
                columns.push_back(info.columnText(1));
        }
        if (columns.empty())
            continue;
        std::string expression;
        for (const std::string& column : columns)
            expression +=
                (expression.empty() ? "" : " || '|' || ") + std::string("quote(") + column + ")";
        out += std::string(table) + ":\n";
        for (const std::string& row :
             db.rows("SELECT " + expression + " FROM " + table + " ORDER BY id", 1))
            out += row + "\n";
    }
    return out;
}

} // namespace placesfixture

// Times addFirefoxBookmarks on a generated places.sqlite and on one twice its size.
#include "pinvane/firefox/FirefoxEditor.h"
#include "pinvane/firefox/PlacesIdentifiers.h"
#include "pinvane/firefox/PlacesStatement.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const schema =
    "PRAGMA journal_mode = WAL;"
    "CREATE TABLE moz_origins ( id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, "
    "frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, "
    "recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, block_until_ms INTEGER, block_pages_until_ms "
    "INTEGER, UNIQUE (prefix, host) );"
    "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date "
    "INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT "
    "NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER "
    "REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency "
    "INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX moz_places_frecencyindex ON moz_places (frecency);"
    "CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);"
    "CREATE INDEX moz_places_hostindex ON moz_places (rev_host);"
    "CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);"
    "CREATE INDEX moz_places_originidindex ON moz_places (origin_id);"
    "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
    "CREATE INDEX moz_places_visitcount ON moz_places (visit_count);"
    "CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, "
    "dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, "
    "syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
    "CREATE INDEX moz_bookmarks_dateaddedindex ON moz_bookmarks (dateAdded);"
    "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);"
    "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
    "CREATE INDEX moz_bookmarks_itemlastmodifiedindex ON moz_bookmarks (fk, lastModified);"
    "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);"
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES "
    "(1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'),"
    "(3, 2, 1, 1, 'toolbar', 'toolbar_____'), (4, 2, 1, 2, 'tags', 'tags________'),"
    "(5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";

std::string placeUrl(int i) {
    return "https://site" + std::to_string(i % 2000) + ".example/page/" + std::to_string(i);
}

void generate(const std::wstring& path, int places, int bookmarks) {
    DeleteFileW(path.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(wideToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot create database");
    execOrRaise(db, schema);
    execOrRaise(db, "BEGIN");
    for (int o = 0; o < 2000; ++o) {
        PlacesStatement insert = prepareStatement(
            db, "INSERT INTO moz_origins (prefix, host, frecency) VALUES ('https://', ?1, 1)");
        insert.bindText(1, "site" + std::to_string(o) + ".example");
        insert.step();
    }
    for (int i = 1; i <= places; ++i) {
        PlacesStatement insert = prepareStatement(
            db,
            "INSERT INTO moz_places (id, url, title, rev_host, visit_count, frecency, guid, "
            "foreign_count, url_hash, origin_id) VALUES (?1, ?2, ?3, ?4, 1, 100, ?5, ?6, ?7, ?8)");
        const std::string url = placeUrl(i);
        insert.bindInt64(1, i);
        insert.bindText(2, url);
        insert.bindText(3, "Page " + std::to_string(i));
        insert.bindText(4, reversedHost(url));
        insert.bindText(5, newPlacesGuid());
        insert.bindInt64(6, i <= bookmarks ? 1 : 0);
        insert.bindInt64(7, placesUrlHash(url));
        insert.bindInt64(8, i % 2000 + 1);
        insert.step();
    }
    // Bookmarks spread over menu, unfiled and (the first 50) the toolbar.
    int positions[7] = {};
    for (int i = 1; i <= bookmarks; ++i) {
        const int parent = i <= 50 ? 3 : (i % 2 ? 2 : 5);
        PlacesStatement insert = prepareStatement(
            db, "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, "
                "lastModified, guid, syncStatus, syncChangeCounter) VALUES (1, ?1, ?2, ?3, ?4, "
                "1700000000000000, 1700000000000000, ?5, 2, 0)");
        insert.bindInt64(1, i);
        insert.bindInt64(2, parent);
        insert.bindInt64(3, positions[parent]++);
        insert.bindText(4, "Bookmark " + std::to_string(i));
        insert.bindText(5, newPlacesGuid());
        insert.step();
    }
    execOrRaise(db, "COMMIT");
    sqlite3_close(db);
}

// 100 titles already present (half of them get another URL), 100 new ones.
std::vector<BookmarkSpec> configured(int bookmarks) {
    std::vector<BookmarkSpec> list;
    for (int k = 0; k < 100; ++k) {
        const int i = 1 + k * (bookmarks / 100);
        list.push_back({"Bookmark " + std::to_string(i),
                        k % 2 ? placeUrl(i) : "https://moved.example/" + std::to_string(i)});
    }
    for (int k = 0; k < 100; ++k)
        list.push_back({"New " + std::to_string(k), "https://new" + std::to_string(k % 10) +
                                                        ".example/p/" + std::to_string(k)});
    return list;
}

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Median of 5 runs, each on a fresh copy of the master database.
double measure(const std::wstring& folder, const std::vector<BookmarkSpec>& list) {
    const std::wstring master = folder + L"\\master.sqlite";
    const std::wstring work = folder + L"\\places.sqlite";
    std::vector<double> runs;
    for (int r = 0; r < 5; ++r) {
        DeleteFileW((work + L"-wal").c_str());
        DeleteFileW((work + L"-shm").c_str());
        CopyFileW(master.c_str(), work.c_str(), FALSE);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool ok = !addFirefoxBookmarks(work, list, InsertPosition::AfterFolders).failed;
        QueryPerformanceCounter(&end);
        if (!ok)
            throw std::runtime_error("addFirefoxBookmarks failed");
        runs.push_back(seconds(start, end));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

struct Figures {
    double many = 0; // the 200 bookmarks
    double one = 0;  // a single new bookmark
};

Figures measureDatabase(const std::wstring& folder, int places, int bookmarks) {
    generate(folder + L"\\master.sqlite", places, bookmarks);
    Figures figures;
    figures.many = measure(folder, configured(bookmarks));
    figures.one = measure(folder, {{"Single", "https://single.example/p/1"}});
    std::printf("places %7d  bookmarks %7d  add 200 (100 new): %.3f s  add 1 new: %.3f s "
                "(medians of 5)\n",
                places, bookmarks, figures.many, figures.one);
    return figures;
}

} // namespace

int main() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = joinPath(temp, L"pinvane-bench-firefox");
    CreateDirectoryW(folder.c_str(), nullptr);
    try {
        const Figures base = measureDatabase(folder, 100000, 50000);
        const Figures doubled = measureDatabase(folder, 200000, 100000);
        std::printf("firefox: 200 bookmarks %.2fx one bookmark, doubled database x%.2f\n",
                    base.many / base.one, doubled.many / base.many);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        return 1;
    }
    return 0;
}

#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace placesfixture {

// The schema variants seen in the wild.
enum class Schema {
    Current,            // moz_places.origin_id, moz_origins, recalc_frecency in both
    WithoutOriginId,    // moz_origins exists, moz_places has no origin_id
    WithoutOrigins,     // no moz_origins table at all, no origin_id
    RecalcInPlacesOnly, // moz_origins without recalc_frecency
};

// A test's own connection; raises std::runtime_error on any failure.
class Database {
public:
    explicit Database(const std::wstring& path, bool create = false);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* get() const { return connection; }
    void exec(const std::string& sql);
    int64_t integer(const std::string& sql);
    std::string text(const std::string& sql);
    // Each row as its columns joined by "|", NULL as "NULL".
    std::vector<std::string> rows(const std::string& sql, int columns);

    int64_t addPlace(const std::string& url, const std::string& title, int64_t foreignCount = 0);
    // type 1 bookmark, 2 folder, 3 separator.
    int64_t addItem(int type, int64_t parent, int position, const std::string& title,
                    int64_t fk = 0);

private:
    sqlite3* connection = nullptr;
};

// Creates places.sqlite in the folder with Firefox's roots (the toolbar is
// id 3) in WAL mode and returns its path.
std::wstring createPlaces(const std::wstring& folder, Schema schema = Schema::Current);

// Every row of the three tables and the integrity check, for before/after comparisons.
std::string snapshot(const std::wstring& path);

} // namespace placesfixture

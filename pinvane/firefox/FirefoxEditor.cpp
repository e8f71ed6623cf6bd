#include "pinvane/firefox/FirefoxEditor.h"

#include "pinvane/firefox/PlacesOperations.h"
#include "pinvane/firefox/PlacesStatement.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <exception>

namespace {

// Closes the connection on every path, also after a failed open.
class PlacesConnection {
public:
    PlacesConnection() = default;
    ~PlacesConnection() { sqlite3_close(connection); }
    PlacesConnection(const PlacesConnection&) = delete;
    PlacesConnection& operator=(const PlacesConnection&) = delete;
    sqlite3* get() const { return connection; }
    sqlite3** out() { return &connection; }

private:
    sqlite3* connection = nullptr;
};

int64_t currentMicros() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<int64_t>((ticks - 116444736000000000ull) / 10);
}

int32_t firstPosition(const PlacesContext& context, int64_t parent, InsertPosition position) {
    switch (position) {
    case InsertPosition::Top:
        return 0;
    case InsertPosition::Bottom:
        return countChildren(context, parent);
    case InsertPosition::AfterFolders:
        break;
    }
    return countLeadingFolders(context, parent);
}

void addOne(const PlacesContext& context, const std::wstring& label, const BookmarkSpec& bookmark,
            int64_t parent, int32_t& position) {
    const std::vector<BookmarkMatch> matches = findBookmarksByTitle(context, bookmark.title);
    const std::wstring title = utf8ToWide(bookmark.title);
    const std::wstring url = utf8ToWide(bookmark.url);
    if (matches.empty()) {
        const int64_t place = findOrInsertPlace(context, bookmark.url, bookmark.title);
        insertToolbarBookmark(context, parent, position, place, bookmark.title);
        RunLog::writeLine(label + L": 追加: " + title + L" -> " + url);
        ++position;
        return;
    }
    for (const BookmarkMatch& match : matches) {
        const std::string current = placeUrlById(context, match.fk);
        if (current == bookmark.url) {
            RunLog::writeLine(label + L": 変更なし: " + title);
            continue;
        }
        const int64_t place = findOrInsertPlace(context, bookmark.url, bookmark.title);
        replaceBookmarkPlace(context, match.id, match.fk, place);
        RunLog::writeLine(label + L": URL置換: " + title + L": " + utf8ToWide(current) + L" -> " +
                          url);
    }
}

} // namespace

bool addFirefoxBookmarks(const std::wstring& databasePath, const std::wstring& label,
                         const std::vector<BookmarkSpec>& bookmarks, InsertPosition position) {
    PlacesConnection connection;
    // Never created: a missing database is a failure, not a new empty one.
    if (sqlite3_open_v2(wideToUtf8(databasePath).c_str(), connection.out(), SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        RunLog::writeLine(label + L": places.sqlite を開けません: " +
                          utf8ToWide(sqlite3_errmsg(connection.get())));
        return false;
    }
    sqlite3* db = connection.get();
    sqlite3_busy_timeout(db, 3000);
    // Each title lookup scans moz_bookmarks; a cache that holds it saves re-reading
    // every page from disk for every bookmark. Affects this connection only.
    sqlite3_exec(db, "PRAGMA cache_size = -32768", nullptr, nullptr, nullptr);

    bool inTransaction = false;
    try {
        execOrRaise(db, "BEGIN IMMEDIATE");
        inTransaction = true;
        const PlacesContext context = probePlacesSchema(db, currentMicros());
        const int64_t parent = findToolbarFolderId(context);
        int32_t next = firstPosition(context, parent, position);
        for (const BookmarkSpec& bookmark : bookmarks)
            addOne(context, label, bookmark, parent, next);
        execOrRaise(db, "COMMIT");
        inTransaction = false;
        return true;
    } catch (const std::exception& error) {
        RunLog::writeLine(label + L": " + utf8ToWide(error.what()));
        if (inTransaction)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
}

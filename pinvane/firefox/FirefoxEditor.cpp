#include "pinvane/firefox/FirefoxEditor.h"

#include "pinvane/firefox/PlacesOperations.h"
#include "pinvane/firefox/PlacesStatement.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <exception>
#include <map>

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

// Where new bookmarks go: the toolbar's next insertion slot, or the end of a folder on it.
struct Destination {
    int64_t parent = 0;
    int32_t position = 0;
};

class ToolbarSlots {
public:
    ToolbarSlots(const PlacesContext& context, int64_t toolbar, int32_t firstPosition)
        : context(context), toolbar(toolbar), next(firstPosition) {}

    // A folder missing from the toolbar is made once, in the slot a new bookmark would take.
    Destination reserve(const std::string& folder, std::vector<BookmarkAction>& actions) {
        if (folder.empty())
            return {toolbar, next++};
        int64_t& id = folders[folder];
        if (id == 0)
            id = findChildFolder(context, toolbar, folder);
        if (id == 0) {
            id = insertFolder(context, toolbar, next++, folder);
            actions.push_back({BookmarkActionKind::FolderCreated, folder});
        }
        return {id, countChildren(context, id)};
    }

private:
    const PlacesContext& context;
    int64_t toolbar;
    int32_t next;
    std::map<std::string, int64_t> folders;
};

// matches: the bookmarks of this title as the database holds them now; kept so for the
// later entries of the same title.
void addOne(const PlacesContext& context, const BookmarkSpec& bookmark, ToolbarSlots& slots,
            std::vector<BookmarkMatch>& matches, std::vector<BookmarkAction>& actions) {
    if (matches.empty()) {
        const Destination destination = slots.reserve(bookmark.folder, actions);
        const int64_t place = findOrInsertPlace(context, bookmark.url, bookmark.title);
        const int64_t id = insertToolbarBookmark(context, destination.parent, destination.position,
                                                 place, bookmark.title);
        matches.push_back({id, place});
        actions.push_back(
            {BookmarkActionKind::Added, bookmark.title, bookmark.url, {}, bookmark.folder});
        return;
    }
    for (BookmarkMatch& match : matches) {
        std::string current = placeUrlById(context, match.fk);
        if (current == bookmark.url) {
            actions.push_back({BookmarkActionKind::Unchanged, bookmark.title, bookmark.url});
            continue;
        }
        const int64_t place = findOrInsertPlace(context, bookmark.url, bookmark.title);
        replaceBookmarkPlace(context, match.id, match.fk, place);
        match.fk = place;
        actions.push_back({BookmarkActionKind::UrlReplaced,
                           bookmark.title,
                           bookmark.url,
                           std::move(current),
                           {}});
    }
}

} // namespace

EditReport addFirefoxBookmarks(const std::wstring& databasePath,
                               const std::vector<BookmarkSpec>& bookmarks, InsertPosition position,
                               EditMode mode) {
    EditReport report;
    PlacesConnection connection;
    // Never created: a missing database is a failure, not a new empty one.
    if (sqlite3_open_v2(wideToUtf8(databasePath).c_str(), connection.out(), SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        report.failed = true;
        report.failure =
            L"places.sqlite を開けません: " + utf8ToWide(sqlite3_errmsg(connection.get()));
        return report;
    }
    sqlite3* db = connection.get();
    sqlite3_busy_timeout(db, 3000);

    bool inTransaction = false;
    try {
        execOrRaise(db, "BEGIN IMMEDIATE");
        inTransaction = true;
        const PlacesContext context = probePlacesSchema(db, currentMicros());
        const int64_t toolbar = findToolbarFolderId(context);
        ToolbarSlots slots(context, toolbar, firstPosition(context, toolbar, position));
        TitleMatches matches = findBookmarksByTitles(context, bookmarks);
        // The walk leaves the cache full of clean pages: every page an edit dirties would then be
        // spilled to the -wal at once, read back, and written again at COMMIT with its checksum.
        // Up to 64 MiB, for this connection only; pages are taken only as the edits need them.
        execOrRaise(db, "PRAGMA cache_size = -65536");
        for (const BookmarkSpec& bookmark : bookmarks)
            addOne(context, bookmark, slots, matches.find(bookmark.title)->second, report.actions);
        execOrRaise(db, mode == EditMode::Apply ? "COMMIT" : "ROLLBACK");
        inTransaction = false;
        return report;
    } catch (const std::exception& error) {
        report.failed = true;
        report.failure = utf8ToWide(error.what());
        if (inTransaction)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return report;
    }
}

#include "pinvane/firefox/PlacesOperations.h"

#include "pinvane/firefox/PlacesStatement.h"

#include <stdexcept>

int64_t findToolbarFolderId(const PlacesContext& context) {
    PlacesStatement statement = prepareStatement(
        context.connection, "SELECT id FROM moz_bookmarks WHERE guid = 'toolbar_____'");
    if (!statement.step())
        throw std::runtime_error("ブックマークツールバー(toolbar_____)が見つかりません");
    return statement.columnInt64(0);
}

int32_t countLeadingFolders(const PlacesContext& context, int64_t parent) {
    PlacesStatement statement = prepareStatement(
        context.connection, "SELECT type FROM moz_bookmarks WHERE parent = ?1 ORDER BY position");
    statement.bindInt64(1, parent);
    int32_t count = 0;
    while (statement.step() && statement.columnInt64(0) == 2)
        ++count;
    return count;
}

int32_t countChildren(const PlacesContext& context, int64_t parent) {
    PlacesStatement statement = prepareStatement(
        context.connection, "SELECT COUNT(*) FROM moz_bookmarks WHERE parent = ?1");
    statement.bindInt64(1, parent);
    return statement.step() ? static_cast<int32_t>(statement.columnInt64(0)) : 0;
}

TitleMatches findBookmarksByTitles(const PlacesContext& context,
                                   const std::vector<BookmarkSpec>& bookmarks) {
    TitleMatches matches;
    for (const BookmarkSpec& bookmark : bookmarks)
        matches.try_emplace(bookmark.title);
    if (matches.empty())
        return matches;
    // moz_bookmarks has no index on title: one walk in id order, the order in which the
    // table scan of "type = 1 AND title = ?" returns a title's rows. "title = ?" with a
    // text never matches a NULL or a blob, and compares all the bytes.
    PlacesStatement statement = prepareStatement(
        context.connection, "SELECT id, fk, title FROM moz_bookmarks WHERE type = 1 AND "
                            "typeof(title) = 'text' ORDER BY id");
    while (statement.step()) {
        const auto found = matches.find(statement.columnBytes(2));
        if (found != matches.end())
            found->second.push_back({statement.columnInt64(0), statement.columnInt64(1)});
    }
    return matches;
}

std::string placeUrlById(const PlacesContext& context, int64_t placeId) {
    PlacesStatement statement =
        prepareStatement(context.connection, "SELECT url FROM moz_places WHERE id = ?1");
    statement.bindInt64(1, placeId);
    return statement.step() ? statement.columnText(0) : std::string();
}

void adjustForeignCount(const PlacesContext& context, int64_t placeId, int64_t amount) {
    PlacesStatement statement =
        prepareStatement(context.connection,
                         "UPDATE moz_places SET foreign_count = foreign_count + ?1 WHERE id = ?2");
    statement.bindInt64(1, amount);
    statement.bindInt64(2, placeId);
    statement.step();
}

int64_t findOrInsertOrigin(const PlacesContext& context, const UrlOrigin& origin) {
    {
        PlacesStatement lookup = prepareStatement(
            context.connection, "SELECT id FROM moz_origins WHERE prefix = ?1 AND host = ?2");
        lookup.bindText(1, origin.prefix);
        lookup.bindText(2, origin.host);
        if (lookup.step())
            return lookup.columnInt64(0);
    }
    PlacesStatement insert = prepareStatement(
        context.connection,
        context.originsHasRecalcFrecency
            ? "INSERT INTO moz_origins (prefix, host, frecency, recalc_frecency) VALUES (?1, ?2, "
              "0, 1)"
            : "INSERT INTO moz_origins (prefix, host, frecency) VALUES (?1, ?2, 0)");
    insert.bindText(1, origin.prefix);
    insert.bindText(2, origin.host);
    insert.step();
    return sqlite3_last_insert_rowid(context.connection);
}

int64_t findOrInsertPlace(const PlacesContext& context, const std::string& url,
                          const std::string& title) {
    const int64_t hash = placesUrlHash(url);
    {
        PlacesStatement lookup = prepareStatement(
            context.connection, "SELECT id FROM moz_places WHERE url_hash = ?1 AND url = ?2");
        lookup.bindInt64(1, hash);
        lookup.bindText(2, url);
        if (lookup.step())
            return lookup.columnInt64(0);
    }
    const UrlOrigin origin = parseUrlOrigin(url);
    std::string columns =
        "url, title, rev_host, visit_count, hidden, typed, frecency, guid, foreign_count, url_hash";
    std::string values = "?1, ?2, ?3, 0, 0, 0, -1, ?4, 0, ?5";
    bool withOrigin = false;
    int64_t originId = 0;
    if (context.hasOrigins && origin.valid) {
        originId = findOrInsertOrigin(context, origin);
        withOrigin = true;
        columns += ", origin_id";
        values += ", ?6";
    }
    if (context.placesHasRecalcFrecency) {
        columns += ", recalc_frecency";
        values += ", 1";
    }
    PlacesStatement insert = prepareStatement(
        context.connection, "INSERT INTO moz_places (" + columns + ") VALUES (" + values + ")");
    insert.bindText(1, url);
    insert.bindText(2, title);
    insert.bindText(3, reversedHost(url));
    insert.bindText(4, newPlacesGuid());
    insert.bindInt64(5, hash);
    if (withOrigin)
        insert.bindInt64(6, originId);
    insert.step();
    return sqlite3_last_insert_rowid(context.connection);
}

namespace {

void makeRoomAt(const PlacesContext& context, int64_t parent, int32_t position) {
    PlacesStatement shift =
        prepareStatement(context.connection, "UPDATE moz_bookmarks SET position = position + 1 "
                                             "WHERE parent = ?1 AND position >= ?2");
    shift.bindInt64(1, parent);
    shift.bindInt64(2, position);
    shift.step();
}

// A parent whose children changed is modified, and counts once more for sync.
void touchParent(const PlacesContext& context, int64_t parent) {
    PlacesStatement touch = prepareStatement(
        context.connection, "UPDATE moz_bookmarks SET lastModified = ?1, syncChangeCounter = "
                            "syncChangeCounter + 1 WHERE id = ?2");
    touch.bindInt64(1, context.nowMicros);
    touch.bindInt64(2, parent);
    touch.step();
}

} // namespace

namespace {

// One new row in parent at position: a bookmark of placeId, or a folder (placeId 0).
// syncStatus 1 (new) and one change to upload, as for an item Firefox itself has just made.
int64_t insertItem(const PlacesContext& context, int64_t parent, int32_t position, int64_t placeId,
                   const std::string& title) {
    makeRoomAt(context, parent, position);
    PlacesStatement insert = prepareStatement(
        context.connection,
        "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, "
        "guid, syncStatus, syncChangeCounter) VALUES (CASE WHEN ?1 = 0 THEN 2 ELSE 1 END, "
        "NULLIF(?1, 0), ?2, ?3, ?4, ?5, ?5, ?6, 1, 1)");
    insert.bindInt64(1, placeId);
    insert.bindInt64(2, parent);
    insert.bindInt64(3, position);
    insert.bindText(4, title);
    insert.bindInt64(5, context.nowMicros);
    insert.bindText(6, newPlacesGuid());
    insert.step();
    return sqlite3_last_insert_rowid(context.connection);
}

} // namespace

int64_t insertToolbarBookmark(const PlacesContext& context, int64_t parent, int32_t position,
                              int64_t placeId, const std::string& title) {
    const int64_t bookmarkId = insertItem(context, parent, position, placeId, title);
    adjustForeignCount(context, placeId, +1);
    touchParent(context, parent);
    return bookmarkId;
}

int64_t findChildFolder(const PlacesContext& context, int64_t parent, const std::string& title) {
    PlacesStatement statement =
        prepareStatement(context.connection, "SELECT id FROM moz_bookmarks WHERE parent = ?1 AND "
                                             "type = 2 AND title = ?2 ORDER BY position LIMIT 1");
    statement.bindInt64(1, parent);
    statement.bindText(2, title);
    return statement.step() ? statement.columnInt64(0) : 0;
}

int64_t insertFolder(const PlacesContext& context, int64_t parent, int32_t position,
                     const std::string& title) {
    const int64_t id = insertItem(context, parent, position, 0, title);
    touchParent(context, parent);
    return id;
}

void replaceBookmarkPlace(const PlacesContext& context, int64_t bookmarkId, int64_t oldPlaceId,
                          int64_t newPlaceId) {
    {
        PlacesStatement update = prepareStatement(
            context.connection, "UPDATE moz_bookmarks SET fk = ?1, lastModified = ?2, "
                                "syncChangeCounter = syncChangeCounter + 1 WHERE id = ?3");
        update.bindInt64(1, newPlaceId);
        update.bindInt64(2, context.nowMicros);
        update.bindInt64(3, bookmarkId);
        update.step();
    }
    adjustForeignCount(context, oldPlaceId, -1);
    adjustForeignCount(context, newPlaceId, +1);
}

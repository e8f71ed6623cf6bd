#pragma once

#include "pinvane/firefox/PlacesIdentifiers.h"
#include "pinvane/firefox/PlacesSchema.h"
#include "pinvane/support/Bookmarks.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The database operations of the places editor. Each prepares, runs and
// finalizes its own statements; failures raise the SQL error.

struct BookmarkMatch {
    int64_t id = 0;
    int64_t fk = 0;
};

// Raises when the database has no toolbar folder.
int64_t findToolbarFolderId(const PlacesContext& context);
// Folders before the first other child, in position order.
int32_t countLeadingFolders(const PlacesContext& context, int64_t parent);
int32_t countChildren(const PlacesContext& context, int64_t parent);
// Every bookmark (type 1) whose title is one of the bookmarks' titles, byte for byte,
// listed under its title in id order; an empty list for a title without one. One walk
// of moz_bookmarks for them all.
struct TitleHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};
using TitleMatches =
    std::unordered_map<std::string, std::vector<BookmarkMatch>, TitleHash, std::equal_to<>>;
TitleMatches findBookmarksByTitles(const PlacesContext& context,
                                   const std::vector<BookmarkSpec>& bookmarks);
// Empty when the place is missing.
std::string placeUrlById(const PlacesContext& context, int64_t placeId);
void adjustForeignCount(const PlacesContext& context, int64_t placeId, int64_t amount);
int64_t findOrInsertOrigin(const PlacesContext& context, const UrlOrigin& origin);
int64_t findOrInsertPlace(const PlacesContext& context, const std::string& url,
                          const std::string& title);
// The new bookmark's id.
int64_t insertToolbarBookmark(const PlacesContext& context, int64_t parent, int32_t position,
                              int64_t placeId, const std::string& title);
// The first folder of that title directly in parent, by position; 0 when there is none.
int64_t findChildFolder(const PlacesContext& context, int64_t parent, const std::string& title);
// A new empty folder at position in parent, as Firefox makes a local one; returns its id.
int64_t insertFolder(const PlacesContext& context, int64_t parent, int32_t position,
                     const std::string& title);
void replaceBookmarkPlace(const PlacesContext& context, int64_t bookmarkId, int64_t oldPlaceId,
                          int64_t newPlaceId);

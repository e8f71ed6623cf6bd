#pragma once

#include "pinvane/firefox/PlacesIdentifiers.h"
#include "pinvane/firefox/PlacesSchema.h"

#include <cstdint>
#include <string>
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
std::vector<BookmarkMatch> findBookmarksByTitle(const PlacesContext& context,
                                                const std::string& title);
// Empty when the place is missing.
std::string placeUrlById(const PlacesContext& context, int64_t placeId);
void adjustForeignCount(const PlacesContext& context, int64_t placeId, int64_t amount);
int64_t findOrInsertOrigin(const PlacesContext& context, const UrlOrigin& origin);
int64_t findOrInsertPlace(const PlacesContext& context, const std::string& url,
                          const std::string& title);
void insertToolbarBookmark(const PlacesContext& context, int64_t parent, int32_t position,
                           int64_t placeId, const std::string& title);
// The first folder of that title directly in parent, by position; 0 when there is none.
int64_t findChildFolder(const PlacesContext& context, int64_t parent, const std::string& title);
// A new empty folder at position in parent, as Firefox makes a local one; returns its id.
int64_t insertFolder(const PlacesContext& context, int64_t parent, int32_t position,
                     const std::string& title);
void replaceBookmarkPlace(const PlacesContext& context, int64_t bookmarkId, int64_t oldPlaceId,
                          int64_t newPlaceId);

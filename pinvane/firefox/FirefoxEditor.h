#pragma once

#include "pinvane/support/Bookmarks.h"

#include <string>
#include <vector>

// Adds the bookmarks to the toolbar of one places.sqlite in one write transaction. After
// a failure nothing of the call remains in the database; a preview rolls the whole
// transaction back. Never raises.
EditReport addFirefoxBookmarks(const std::wstring& databasePath,
                               const std::vector<BookmarkSpec>& bookmarks, InsertPosition position,
                               EditMode mode = EditMode::Apply);

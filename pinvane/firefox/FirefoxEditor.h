#pragma once

#include "pinvane/run/Settings.h"

#include <string>
#include <vector>

// Adds the bookmarks to the toolbar of one places.sqlite in one write
// transaction. False when anything failed; the reason is in the run log and
// nothing of the call remains in the database. Never raises.
bool addFirefoxBookmarks(const std::wstring& databasePath, const std::wstring& label,
                         const std::vector<BookmarkSpec>& bookmarks, InsertPosition position);

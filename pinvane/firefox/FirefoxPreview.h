#pragma once

#include "pinvane/support/Bookmarks.h"

#include <string>
#include <vector>

// What addFirefoxBookmarks would do to the database, found by running it on a private
// copy: SQLite writes to a WAL database and its -shm file even for a transaction that
// is rolled back, so the profile's own files are never opened by SQLite. A database
// that cannot be copied (a running Firefox holds it) is a failure.
EditReport previewFirefoxBookmarks(const std::wstring& databasePath,
                                   const std::vector<BookmarkSpec>& bookmarks,
                                   InsertPosition position);

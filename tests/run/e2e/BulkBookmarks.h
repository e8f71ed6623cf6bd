#pragma once

#include <string>

// The reference Bookmarks file with `bulk` more bookmarks under "Other bookmarks",
// named "Bulk 0", "Bulk 1", ...: about 250 bytes each, for files of any size.
std::string chromiumBookmarksWith(int bulk);

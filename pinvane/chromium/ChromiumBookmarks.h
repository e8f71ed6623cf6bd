#pragma once

#include "pinvane/json/JsonValue.h"
#include "pinvane/support/Bookmarks.h"

#include <cstdint>
#include <string>
#include <vector>

// Adds the bookmarks to the bar of one Chromium "Bookmarks" file, or points an entry of
// the same title at the configured URL. On failure the file on disk was not changed; a
// preview never changes it.
EditReport addToChromiumBookmarks(const std::wstring& filePath,
                                  const std::vector<BookmarkSpec>& bookmarks,
                                  InsertPosition position, EditMode mode = EditMode::Apply);

// Raises largestId to the largest string id in the tree at node (read like strtoll).
void scanLargestId(const JsonValue& node, int64_t& largestId);

// Appends every URL node named title in the tree at node, each before its descendants.
void collectTitleMatches(JsonValue& node, const std::string& title,
                         std::vector<JsonValue*>& matches);

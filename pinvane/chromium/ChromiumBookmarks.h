#pragma once

#include "pinvane/json/JsonValue.h"
#include "pinvane/run/Settings.h"

#include <cstdint>
#include <string>
#include <vector>

// Adds the bookmarks to the bar of one Chromium "Bookmarks" file, or points an entry of
// the same title at the configured URL. Every outcome is logged with the label first.
// False means the file on disk was not changed.
bool addToChromiumBookmarks(const std::wstring& filePath, const std::wstring& label,
                            const std::vector<BookmarkSpec>& bookmarks, InsertPosition position);

// Raises largestId to the largest string id in the tree at node (read like strtoll).
void scanLargestId(const JsonValue& node, int64_t& largestId);

// Appends every URL node named title in the tree at node, each before its descendants.
void collectTitleMatches(JsonValue& node, const std::string& title,
                         std::vector<JsonValue*>& matches);

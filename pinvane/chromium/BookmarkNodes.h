#pragma once

#include "pinvane/json/JsonValue.h"
#include "pinvane/support/Bookmarks.h"

#include <cstdint>
#include <string>

// Microseconds since 1601-01-01 UTC in decimal digits, as Chromium stores its times.
std::string chromiumTimeNow();

// A random version-4 GUID, lowercase, 8-4-4-4-12.
std::string randomGuidText();

// The seven members of a new Chromium URL node, in the order Chromium writes them.
JsonValue makeUrlNode(JsonDocument& document, int64_t id, const BookmarkSpec& bookmark);

// A new, empty Chromium folder node, its members in the order Chromium writes them.
JsonValue makeFolderNode(JsonDocument& document, int64_t id, std::string_view title);

#pragma once

#include "pinvane/support/Bookmarks.h"
#include "pinvane/support/PlainText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Settings {
    std::vector<BookmarkSpec> bookmarks;
    int32_t closeTimeoutSeconds = 30;
    InsertPosition insertPosition = InsertPosition::AfterFolders;
};

enum class SettingsStatus : uint8_t { Loaded, Unreadable, NotUtf8 };

struct SettingsLoad {
    SettingsStatus status = SettingsStatus::Unreadable;
    size_t notUtf8Line = 0; // NotUtf8: the line of the first byte that is not UTF-8
};

// Only a file that cannot be read or is not UTF-8 is refused as a whole; problems
// inside it are warnings in the run log.
SettingsLoad loadSettings(const std::wstring& path, Settings& settings);
// The same on the file's bytes, once they are known to be UTF-8.
void parseSettingsText(const std::string& content, Settings& settings);

// A Windows path (\\host\share\rest, X:\rest, X:/rest) as the file URL a browser makes
// of it; any other value unchanged.
std::string windowsPathToFileUrl(const std::string& value);
std::string normalizeBookmarkUrl(const std::string& value);
// What both browsers keep as a bookmark: a scheme and ":", a host for the schemes that
// need one, and no more than Firefox's 65536 bytes.
bool isAbsoluteUrl(const std::string& url);

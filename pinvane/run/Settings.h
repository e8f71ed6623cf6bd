#pragma once

#include "pinvane/support/Bookmarks.h"

#include <cstdint>
#include <string>
#include <vector>

struct Settings {
    std::vector<BookmarkSpec> bookmarks;
    int32_t closeTimeoutSeconds = 30;
    InsertPosition insertPosition = InsertPosition::AfterFolders;
};

// False only when the file cannot be read. Warnings go to the run log.
bool loadSettings(const std::wstring& path, Settings& settings);
// The same, on the file's bytes.
void parseSettingsText(const std::string& content, Settings& settings);

std::string normalizeBookmarkUrl(const std::string& value);
std::string trimBlanks(const std::string& text);

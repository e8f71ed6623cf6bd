#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TargetFormat : uint8_t { ChromiumBookmarks = 0, FirefoxPlaces = 1 };

// One located file to edit, such as Chrome(Default) and its Bookmarks file.
struct ProfileTarget {
    TargetFormat format = TargetFormat::ChromiumBookmarks;
    std::wstring label;
    std::wstring filePath;
};

using ProfileTargetList = std::vector<ProfileTarget>;

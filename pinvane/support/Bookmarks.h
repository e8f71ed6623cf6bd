#pragma once

// What both editors are given and what they hand back to the run flow.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct BookmarkSpec {
    BookmarkSpec() = default;
    BookmarkSpec(std::string title, std::string url, std::string folder = {})
        : title(std::move(title)), url(std::move(url)), folder(std::move(folder)) {}

    std::string title;  // UTF-8, trimmed
    std::string url;    // UTF-8, normalised by normalizeBookmarkUrl
    std::string folder; // a new bookmark goes into this folder on the bar; empty: the bar
};

enum class InsertPosition : int32_t { Top = 0, AfterFolders = 1, Bottom = 2 };

// Preview runs every step of an edit except making it last.
enum class EditMode : uint8_t { Apply, Preview };

enum class BookmarkActionKind : uint8_t { Added, UrlReplaced, Unchanged, FolderCreated };

struct BookmarkAction {
    BookmarkAction(BookmarkActionKind kind, std::string title, std::string url = {},
                   std::string oldUrl = {}, std::string folder = {})
        : kind(kind), title(std::move(title)), url(std::move(url)), oldUrl(std::move(oldUrl)),
          folder(std::move(folder)) {}

    BookmarkActionKind kind = BookmarkActionKind::Added;
    std::string title;  // FolderCreated: the folder's
    std::string url;    // the configured URL
    std::string oldUrl; // UrlReplaced: the URL it had
    std::string folder; // Added: the folder on the bar it went into, empty for the bar itself
};

// What an editor did to one file (or would do, in a preview), in the order it did it.
// A failure ends the edit: actions before it were reported, and none of them remains
// in the file.
struct EditReport {
    std::vector<BookmarkAction> actions;
    bool failed = false;
    std::wstring failure; // the reason, without the label
};

// The run log's lines for a report, each beginning with the label.
std::vector<std::wstring> reportLines(const std::wstring& label, const EditReport& report);

#pragma once

// What both editors are given and what they hand back to the run flow.

#include <cstdint>
#include <string>
#include <vector>

struct BookmarkSpec {
    std::string title; // UTF-8, trimmed
    std::string url;   // UTF-8, normalised by normalizeBookmarkUrl
};

enum class InsertPosition : int32_t { Top = 0, AfterFolders = 1, Bottom = 2 };

// Preview runs every step of an edit except making it last.
enum class EditMode : uint8_t { Apply, Preview };

enum class BookmarkActionKind : uint8_t { Added, UrlReplaced, Unchanged };

struct BookmarkAction {
    BookmarkActionKind kind = BookmarkActionKind::Added;
    std::string title;
    std::string url;    // the configured URL
    std::string oldUrl; // UrlReplaced: the URL it had
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

#pragma once

#include <array>
#include <string>

struct BrowserId {
    std::wstring displayName;
    std::wstring processImageName;
};

// Processing order is binding: Edge, Chrome, Firefox.
extern const std::array<BrowserId, 3> BrowserTable;

// Cleared by "--no-dialog": then no message box is shown anywhere.
extern bool dialogsEnabled;

// True when the primary language of the user's default UI language is Japanese.
bool userUiIsJapanese();

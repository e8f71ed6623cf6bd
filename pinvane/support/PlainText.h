#pragma once

// The rules for reading line-based text files, shared by every reader of them. No
// Windows header: also built natively for fuzzing.

#include <cstddef>
#include <string>
#include <string_view>

// Drops a leading UTF-8 byte-order mark.
std::string_view withoutUtf8Bom(std::string_view content);

// Calls handle(line) for each line ending at LF (the CR before it stays in the line);
// the text after the last LF is the last line, possibly empty.
template <typename Handle> void forEachLine(std::string_view content, Handle&& handle) {
    for (;;) {
        const size_t end = content.find('\n');
        if (end == std::string_view::npos) {
            handle(content);
            return;
        }
        handle(content.substr(0, end));
        content.remove_prefix(end + 1);
    }
}

// Without space, tab, CR and LF at both ends.
std::string trimBlanks(std::string_view text);

constexpr bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
template <typename Char> constexpr Char lowerAscii(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}
std::string lowerAsciiText(std::string text);
bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// 0 when the content is well-formed UTF-8 without NUL bytes; else the 1-based line
// (counted in LFs) of the first byte that is not. A UTF-16 byte-order mark is line 1.
size_t firstLineNotUtf8(std::string_view content);

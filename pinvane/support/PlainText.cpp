#include "pinvane/support/PlainText.h"

#include <algorithm>

std::string_view withoutUtf8Bom(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);
    return content;
}

std::string trimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string lowerAsciiText(std::string text) {
    for (char& c : text)
        c = lowerAscii(c);
    return text;
}

bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return lowerAscii(x) == lowerAscii(y); });
}

namespace {

// The length of the well-formed sequence at the start of bytes, 0 when there is none
// (the ranges of the Unicode standard: no overlong forms, no surrogates, at most U+10FFFF).
size_t utf8SequenceLength(std::string_view bytes) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead >= 0x01 && lead <= 0x7F)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

} // namespace

size_t firstLineNotUtf8(std::string_view content) {
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF"))
        return 1;
    size_t line = 1;
    for (size_t i = 0; i < content.size();) {
        const size_t length = utf8SequenceLength(content.substr(i));
        if (length == 0)
            return line;
        if (content[i] == '\n')
            ++line;
        i += length;
    }
    return 0;
}

#include "pinvane/json/JsonParser.h"

#include <cstring>

namespace {

constexpr int indentWidth = 3;

// For each byte: 0 when written as it is, else the letter after the backslash
// ('u' for the \u00XX form).
struct EscapeTable {
    char letter[256] = {};
    EscapeTable() {
        for (int i = 0; i < 0x20; ++i)
            letter[i] = 'u';
        letter['"'] = '"';
        letter['\\'] = '\\';
        letter['\b'] = 'b';
        letter['\t'] = 't';
        letter['\n'] = 'n';
        letter['\f'] = 'f';
        letter['\r'] = 'r';
    }
};

const EscapeTable escapeTable;

void appendIndent(std::string& out, int depth) {
    out.append(static_cast<size_t>(depth) * indentWidth, ' ');
}

constexpr uint64_t everyByte(unsigned char c) {
    return 0x0101010101010101ull * c;
}

// Whether any of the 8 bytes is below 20, a quote or a backslash.
bool needsEscape(uint64_t word) {
    const uint64_t below20 = (word - everyByte(0x20)) & ~word;
    const uint64_t quote = word ^ everyByte('"');
    const uint64_t backslash = word ^ everyByte('\\');
    return ((below20 | ((quote - everyByte(1)) & ~quote) |
             ((backslash - everyByte(1)) & ~backslash)) &
            everyByte(0x80)) != 0;
}

// The length of the leading run of bytes that are written as they are, 8 bytes at a
// time; a word with a byte to escape is left to the byte loop.
size_t plainPrefix(const char* data, size_t size) {
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word;
        std::memcpy(&word, data + at, 8);
        if (needsEscape(word))
            break;
    }
    return at;
}

} // namespace

void writeJsonString(std::string_view bytes, std::string& out) {
    static const char hexDigits[] = "0123456789abcdef";
    out += '"';
    const char* data = bytes.data();
    const size_t size = bytes.size();
    size_t start = 0;
    for (size_t i = plainPrefix(data, size); i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        const char letter = escapeTable.letter[c];
        if (letter == 0)
            continue;
        out.append(data + start, i - start);
        start = i + 1;
        if (letter == 'u') {
            const char escape[6] = {'\\', 'u', '0', '0', hexDigits[c >> 4], hexDigits[c & 0xF]};
            out.append(escape, sizeof escape);
        } else {
            const char escape[2] = {'\\', letter};
            out.append(escape, sizeof escape);
        }
    }
    out.append(data + start, size - start);
    out += '"';
}

void writeJson(const JsonValue& value, int depth, std::string& out) {
    switch (value.kind()) {
    case JsonKind::Null:
        out += "null";
        return;
    case JsonKind::Bool:
        out += value.boolValue() ? "true" : "false";
        return;
    case JsonKind::Number:
        out += value.text();
        return;
    case JsonKind::String:
        writeJsonString(value.text(), out);
        return;
    case JsonKind::Array:
    case JsonKind::Object: {
        const bool object = value.kind() == JsonKind::Object;
        const std::span<const JsonMember> members = value.members();
        if (members.empty()) {
            out += object ? "{}" : "[]";
            return;
        }
        out += object ? "{\n" : "[\n";
        const size_t count = members.size();
        for (size_t i = 0; i < count; ++i) {
            appendIndent(out, depth + 1);
            if (object) {
                writeJsonString(members[i].name, out);
                out += ": ";
            }
            writeJson(members[i].value, depth + 1, out);
            out += i + 1 < count ? ",\n" : "\n";
        }
        appendIndent(out, depth);
        out += object ? '}' : ']';
        return;
    }
    }
}

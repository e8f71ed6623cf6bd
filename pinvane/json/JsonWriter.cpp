#include "pinvane/json/JsonParser.h"

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

} // namespace

void writeJsonString(const std::string& bytes, std::string& out) {
    static const char hexDigits[] = "0123456789abcdef";
    out += '"';
    const char* data = bytes.data();
    const size_t size = bytes.size();
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
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
    switch (value.kind) {
    case JsonKind::Null:
        out += "null";
        return;
    case JsonKind::Bool:
        out += value.boolValue ? "true" : "false";
        return;
    case JsonKind::Number:
        out += value.text;
        return;
    case JsonKind::String:
        writeJsonString(value.text, out);
        return;
    case JsonKind::Array: {
        if (value.items.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        const size_t count = value.items.size();
        for (size_t i = 0; i < count; ++i) {
            appendIndent(out, depth + 1);
            writeJson(value.items[i], depth + 1, out);
            out += i + 1 < count ? ",\n" : "\n";
        }
        appendIndent(out, depth);
        out += ']';
        return;
    }
    case JsonKind::Object: {
        if (value.memberNames.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        const size_t count = value.memberNames.size();
        for (size_t i = 0; i < count; ++i) {
            appendIndent(out, depth + 1);
            writeJsonString(value.memberNames[i], out);
            out += ": ";
            writeJson(value.memberValues[i], depth + 1, out);
            out += i + 1 < count ? ",\n" : "\n";
        }
        appendIndent(out, depth);
        out += '}';
        return;
    }
    }
}

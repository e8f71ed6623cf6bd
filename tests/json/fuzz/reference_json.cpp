// The JSON parser and serializer as they were before the arena document, kept as the
// oracle of the fuzz target: the new one must fail with the same message and write the
// same bytes.
#include "tests/json/fuzz/reference_json.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace reference {

// ---- JsonValue.h
enum class JsonKind : int32_t { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

// One node of a JSON document. Objects keep member order and duplicates; numbers
// keep their source text. Nodes are moved into the tree, never deep-copied.
struct JsonValue {
    JsonKind kind = JsonKind::Null;
    bool boolValue = false;
    std::string text;
    std::vector<JsonValue> items;
    std::vector<std::string> memberNames;
    std::vector<JsonValue> memberValues;

    JsonValue() = default;
    JsonValue(JsonValue&&) noexcept = default;
    JsonValue& operator=(JsonValue&&) noexcept = default;
    JsonValue(const JsonValue&) = delete;
    JsonValue& operator=(const JsonValue&) = delete;

    JsonValue* findMember(const std::string& name);
    const JsonValue* findMember(const std::string& name) const;
    void setMember(const std::string& name, JsonValue value);
    bool removeMember(const std::string& name);
};

JsonValue makeString(const std::string& text);

// ---- JsonParser.h
// Parses UTF-8 JSON text (without a byte order mark) into a JsonValue tree.
// Error messages are Japanese and end with the byte position.
class JsonParser {
public:
    explicit JsonParser(const std::string& source) : source(source) {}
    bool parse(JsonValue& root, std::string& errorText);

private:
    bool parseValue(JsonValue& node, int depth);
    bool parseObject(JsonValue& node, int depth);
    bool parseArray(JsonValue& node, int depth);
    bool parseString(std::string& out);
    bool parseUnicodeEscape(std::string& out);
    bool readHexUnit(uint32_t& unit);
    void skipWhitespace();
    bool fail(const char* message);

    const std::string& source;
    uint64_t position = 0;
    std::string error;
    // Children of the containers being parsed, moved into exactly sized sequences when
    // each container closes: no regrowth, no slack capacity in the finished tree.
    std::vector<JsonValue> pendingValues;
    std::vector<std::string> pendingNames;
};

void appendUtf8(std::string& out, uint32_t codePoint);

// Three spaces per level, one member or element per line, LF only, no final LF.
void writeJson(const JsonValue& value, int depth, std::string& out);
void writeJsonString(const std::string& bytes, std::string& out);

// ---- JsonValue.cpp
JsonValue* JsonValue::findMember(const std::string& name) {
    if (kind != JsonKind::Object)
        return nullptr;
    for (size_t i = 0; i < memberNames.size(); ++i) {
        if (memberNames[i] == name)
            return &memberValues[i];
    }
    return nullptr;
}

const JsonValue* JsonValue::findMember(const std::string& name) const {
    return const_cast<JsonValue*>(this)->findMember(name);
}

void JsonValue::setMember(const std::string& name, JsonValue value) {
    if (JsonValue* existing = findMember(name)) {
        *existing = std::move(value);
        return;
    }
    memberNames.push_back(name);
    memberValues.push_back(std::move(value));
}

bool JsonValue::removeMember(const std::string& name) {
    for (size_t i = 0; i < memberNames.size(); ++i) {
        if (memberNames[i] == name) {
            memberNames.erase(memberNames.begin() + static_cast<std::ptrdiff_t>(i));
            memberValues.erase(memberValues.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

JsonValue makeString(const std::string& text) {
    JsonValue value;
    value.kind = JsonKind::String;
    value.text = text;
    return value;
}

// ---- JsonParser.cpp
namespace {

constexpr int maxDepth = 256;

struct ByteClasses {
    bool whitespace[256] = {};
    bool numberChar[256] = {};
    bool plainStringByte[256] = {};
    ByteClasses() {
        for (unsigned char c : {' ', '\t', '\r', '\n'})
            whitespace[c] = true;
        for (const char* p = "+-0123456789.eE"; *p; ++p)
            numberChar[static_cast<unsigned char>(*p)] = true;
        for (int i = 0; i < 256; ++i)
            plainStringByte[i] = i != '"' && i != '\\';
    }
};

const ByteClasses byteClasses;

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <typename T> void moveRangeInto(std::vector<T>& stack, size_t base, std::vector<T>& out) {
    out.reserve(stack.size() - base);
    out.insert(out.end(),
               std::make_move_iterator(stack.begin() + static_cast<std::ptrdiff_t>(base)),
               std::make_move_iterator(stack.end()));
    stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(base), stack.end());
}

} // namespace

bool JsonParser::parse(JsonValue& root, std::string& errorText) {
    position = 0;
    error.clear();
    pendingValues.clear();
    pendingNames.clear();
    skipWhitespace();
    bool ok = parseValue(root, 0);
    if (ok) {
        skipWhitespace();
        if (position < source.size())
            ok = fail("末尾に余分な文字があります");
    }
    pendingValues.clear();
    pendingNames.clear();
    if (!ok)
        errorText = error;
    return ok;
}

void JsonParser::skipWhitespace() {
    const size_t size = source.size();
    const char* data = source.data();
    size_t at = position;
    while (at < size && byteClasses.whitespace[static_cast<unsigned char>(data[at])])
        ++at;
    position = at;
}

bool JsonParser::fail(const char* message) {
    if (error.empty()) {
        error = message;
        error += "（位置 ";
        error += std::to_string(position);
        error += "）";
    }
    return false;
}

bool JsonParser::parseValue(JsonValue& node, int depth) {
    if (depth > maxDepth)
        return fail("ネストが深すぎます");
    const size_t size = source.size();
    if (position >= size)
        return fail("予期しない終端です");
    const char* data = source.data();
    const size_t remaining = size - position;
    switch (data[position]) {
    case '{':
        return parseObject(node, depth);
    case '[':
        return parseArray(node, depth);
    case '"':
        node.kind = JsonKind::String;
        return parseString(node.text);
    case 't':
        if (remaining < 4 || std::memcmp(data + position, "true", 4) != 0)
            return fail("不正な値です");
        position += 4;
        node.kind = JsonKind::Bool;
        node.boolValue = true;
        return true;
    case 'f':
        if (remaining < 5 || std::memcmp(data + position, "false", 5) != 0)
            return fail("不正な値です");
        position += 5;
        node.kind = JsonKind::Bool;
        node.boolValue = false;
        return true;
    case 'n':
        if (remaining < 4 || std::memcmp(data + position, "null", 4) != 0)
            return fail("不正な値です");
        position += 4;
        return true;
    default:
        break;
    }
    size_t end = position;
    while (end < size && byteClasses.numberChar[static_cast<unsigned char>(data[end])])
        ++end;
    if (end == position)
        return fail("不正な値です");
    node.kind = JsonKind::Number;
    node.text.assign(data + position, end - position);
    position = end;
    return true;
}

bool JsonParser::parseObject(JsonValue& node, int depth) {
    node.kind = JsonKind::Object;
    ++position;
    skipWhitespace();
    const size_t size = source.size();
    if (position < size && source[position] == '}') {
        ++position;
        return true;
    }
    const size_t valueBase = pendingValues.size();
    const size_t nameBase = pendingNames.size();
    for (;;) {
        skipWhitespace();
        if (position >= size || source[position] != '"')
            return fail("キーが文字列ではありません");
        std::string name;
        if (!parseString(name))
            return false;
        skipWhitespace();
        if (position >= size || source[position] != ':')
            return fail("':' がありません");
        ++position;
        skipWhitespace();
        JsonValue value;
        if (!parseValue(value, depth + 1))
            return false;
        pendingNames.push_back(std::move(name));
        pendingValues.push_back(std::move(value));
        skipWhitespace();
        if (position >= size)
            return fail("',' か '}' が必要です");
        const char next = source[position];
        if (next == ',') {
            ++position;
            continue;
        }
        if (next == '}') {
            ++position;
            break;
        }
        return fail("',' か '}' が必要です");
    }
    moveRangeInto(pendingNames, nameBase, node.memberNames);
    moveRangeInto(pendingValues, valueBase, node.memberValues);
    return true;
}

bool JsonParser::parseArray(JsonValue& node, int depth) {
    node.kind = JsonKind::Array;
    ++position;
    skipWhitespace();
    const size_t size = source.size();
    if (position < size && source[position] == ']') {
        ++position;
        return true;
    }
    const size_t base = pendingValues.size();
    for (;;) {
        skipWhitespace();
        JsonValue item;
        if (!parseValue(item, depth + 1))
            return false;
        pendingValues.push_back(std::move(item));
        skipWhitespace();
        if (position >= size)
            return fail("',' か ']' が必要です");
        const char next = source[position];
        if (next == ',') {
            ++position;
            continue;
        }
        if (next == ']') {
            ++position;
            break;
        }
        return fail("',' か ']' が必要です");
    }
    moveRangeInto(pendingValues, base, node.items);
    return true;
}

bool JsonParser::parseString(std::string& out) {
    out.clear();
    ++position;
    const size_t size = source.size();
    const char* data = source.data();
    while (position < size) {
        // Copy the run up to the next quote or backslash in one piece.
        size_t end = position;
        while (end < size && byteClasses.plainStringByte[static_cast<unsigned char>(data[end])])
            ++end;
        out.append(data + position, end - position);
        position = end;
        if (position >= size)
            break;
        const char c = data[position++];
        if (c == '"')
            return true;
        if (position >= size)
            return fail("文字列が閉じていません");
        const char letter = data[position++];
        switch (letter) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case '/':
            out += '/';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u':
            if (!parseUnicodeEscape(out))
                return false;
            break;
        default:
            return fail("不正なエスケープです");
        }
    }
    return fail("文字列が閉じていません");
}

bool JsonParser::readHexUnit(uint32_t& unit) {
    if (source.size() - position < 4)
        return fail("\\u エスケープが不正です");
    unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexDigitValue(source[position++]);
        if (digit < 0)
            return fail("\\u エスケープが不正です");
        unit = unit << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

// Called with position just past the "u".
bool JsonParser::parseUnicodeEscape(std::string& out) {
    uint32_t unit = 0;
    if (!readHexUnit(unit))
        return false;
    uint32_t codePoint = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && source.size() - position >= 2 &&
        source[position] == '\\' && source[position + 1] == 'u') {
        const uint64_t secondEscape = position;
        position += 2;
        uint32_t low = 0;
        if (!readHexUnit(low))
            return false;
        if (low >= 0xDC00 && low <= 0xDFFF)
            codePoint = 0x10000 + (unit - 0xD800) * 0x400 + (low - 0xDC00);
        else
            position = secondEscape; // read again as an escape of its own
    }
    appendUtf8(out, codePoint);
    return true;
}

void appendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// ---- JsonWriter.cpp
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

bool roundTrip(const std::string& input, std::string& outputOrError) {
    JsonValue root;
    std::string error;
    if (!JsonParser(input).parse(root, error)) {
        outputOrError = error;
        return false;
    }
    outputOrError.clear();
    writeJson(root, 0, outputOrError);
    return true;
}

} // namespace reference

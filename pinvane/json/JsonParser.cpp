#include "pinvane/json/JsonParser.h"

#include <cstring>
#include <iterator>

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

#include "pinvane/json/JsonParser.h"

#include <bit>
#include <cstring>
#include <memory>

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

static_assert(std::endian::native == std::endian::little);

constexpr uint64_t everyByte(unsigned char c) {
    return 0x0101010101010101ull * c;
}

// High bit set in each byte of word that equals the byte of pattern; exact up to and
// including the first such byte, which is all the callers look at.
inline uint64_t bytesEqual(uint64_t word, uint64_t pattern) {
    const uint64_t x = word ^ pattern;
    return (x - everyByte(1)) & ~x & everyByte(0x80);
}

// The first quote or backslash at or after at, else size.
size_t findQuoteOrBackslash(const char* data, size_t at, size_t size) {
    for (; at + 8 <= size; at += 8) {
        uint64_t word;
        std::memcpy(&word, data + at, 8);
        const uint64_t hits = bytesEqual(word, everyByte('"')) | bytesEqual(word, everyByte('\\'));
        if (hits != 0)
            return at + static_cast<size_t>(std::countr_zero(hits) >> 3);
    }
    while (at < size && byteClasses.plainStringByte[static_cast<unsigned char>(data[at])])
        ++at;
    return at;
}

} // namespace

bool JsonParser::parse(JsonDocument& target, std::string& errorText) {
    position = 0;
    error.clear();
    pending.clear();
    document = &target;
    target.root = JsonValue();
    skipWhitespace();
    bool ok = parseValue(target.root, 0);
    if (ok) {
        skipWhitespace();
        if (position < source.size())
            ok = fail("末尾に余分な文字があります");
    }
    pending.clear();
    document = nullptr;
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
    case '"': {
        std::string_view text;
        if (!parseString(text))
            return false;
        node.nodeKind = JsonKind::String;
        node.textData = text.data();
        node.length = text.size();
        return true;
    }
    case 't':
        if (remaining < 4 || std::memcmp(data + position, "true", 4) != 0)
            return fail("不正な値です");
        position += 4;
        node = JsonValue::boolean(true);
        return true;
    case 'f':
        if (remaining < 5 || std::memcmp(data + position, "false", 5) != 0)
            return fail("不正な値です");
        position += 5;
        node = JsonValue::boolean(false);
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
    node.nodeKind = JsonKind::Number;
    node.textData = data + position;
    node.length = end - position;
    position = end;
    return true;
}

void JsonParser::closeContainer(JsonValue& node, size_t base) {
    const size_t count = pending.size() - base;
    JsonMember* children = document->allocateMembers(count);
    std::uninitialized_move(pending.begin() + static_cast<std::ptrdiff_t>(base), pending.end(),
                            children);
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(base), pending.end());
    node.children = children;
    node.length = count;
    node.capacity = static_cast<uint32_t>(count);
}

bool JsonParser::parseObject(JsonValue& node, int depth) {
    node = JsonValue::object();
    ++position;
    skipWhitespace();
    const size_t size = source.size();
    if (position < size && source[position] == '}') {
        ++position;
        return true;
    }
    const size_t base = pending.size();
    for (;;) {
        skipWhitespace();
        if (position >= size || source[position] != '"')
            return fail("キーが文字列ではありません");
        std::string_view name;
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
        pending.push_back({name, std::move(value)});
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
    closeContainer(node, base);
    return true;
}

bool JsonParser::parseArray(JsonValue& node, int depth) {
    node = JsonValue::array();
    ++position;
    skipWhitespace();
    const size_t size = source.size();
    if (position < size && source[position] == ']') {
        ++position;
        return true;
    }
    const size_t base = pending.size();
    for (;;) {
        skipWhitespace();
        JsonValue item;
        if (!parseValue(item, depth + 1))
            return false;
        pending.push_back({std::string_view(), std::move(item)});
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
    closeContainer(node, base);
    return true;
}

// Most strings hold no escape and stay a view of the source.
bool JsonParser::parseString(std::string_view& out) {
    const size_t start = ++position;
    const size_t size = source.size();
    const char* data = source.data();
    const size_t end = findQuoteOrBackslash(data, start, size);
    if (end >= size) {
        position = size;
        return fail("文字列が閉じていません");
    }
    if (data[end] == '"') {
        out = std::string_view(data + start, end - start);
        position = end + 1;
        return true;
    }
    return parseEscapedString(start, out);
}

// Decodes into a copy in the arena, from start (just past the opening quote).
bool JsonParser::parseEscapedString(size_t start, std::string_view& out) {
    decoded.clear();
    position = start;
    const size_t size = source.size();
    const char* data = source.data();
    while (position < size) {
        // Copy the run up to the next quote or backslash in one piece.
        const size_t end = findQuoteOrBackslash(data, position, size);
        decoded.append(data + position, end - position);
        position = end;
        if (position >= size)
            break;
        const char c = data[position++];
        if (c == '"') {
            out = document->copyText(decoded);
            return true;
        }
        if (position >= size)
            return fail("文字列が閉じていません");
        const char letter = data[position++];
        switch (letter) {
        case '"':
            decoded += '"';
            break;
        case '\\':
            decoded += '\\';
            break;
        case '/':
            decoded += '/';
            break;
        case 'b':
            decoded += '\b';
            break;
        case 'f':
            decoded += '\f';
            break;
        case 'n':
            decoded += '\n';
            break;
        case 'r':
            decoded += '\r';
            break;
        case 't':
            decoded += '\t';
            break;
        case 'u':
            if (!parseUnicodeEscape(decoded))
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

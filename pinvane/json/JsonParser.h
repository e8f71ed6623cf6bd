#pragma once

#include "pinvane/json/JsonValue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Parses UTF-8 JSON text (without a byte order mark) into document.root. Strings without
// escapes, names and numbers are views of the source: the caller keeps the source alive
// and unchanged as long as the document. Error messages are Japanese and end with the
// byte position.
class JsonParser {
public:
    explicit JsonParser(std::string_view source) : source(source) {}
    bool parse(JsonDocument& document, std::string& errorText);

private:
    bool parseValue(JsonValue& node, int depth);
    bool parseObject(JsonValue& node, int depth);
    bool parseArray(JsonValue& node, int depth);
    bool parseString(std::string_view& out);
    bool parseEscapedString(size_t start, std::string_view& out);
    bool parseUnicodeEscape(std::string& out);
    bool readHexUnit(uint32_t& unit);
    void skipWhitespace();
    bool fail(const char* message);
    // Moves the children pending above base into an exactly sized run of the arena.
    void closeContainer(JsonValue& node, size_t base);

    std::string_view source;
    uint64_t position = 0;
    std::string error;
    JsonDocument* document = nullptr;
    // Children of the containers being parsed, innermost last.
    std::vector<JsonMember> pending;
    // The decoded bytes of a string with escapes, before they go to the arena.
    std::string decoded;
};

void appendUtf8(std::string& out, uint32_t codePoint);

// Three spaces per level, one member or element per line, LF only, no final LF.
void writeJson(const JsonValue& value, int depth, std::string& out);
void writeJsonString(std::string_view bytes, std::string& out);

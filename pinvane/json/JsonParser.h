#pragma once

#include "pinvane/json/JsonValue.h"

#include <cstdint>
#include <string>
#include <vector>

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

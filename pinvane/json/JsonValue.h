#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

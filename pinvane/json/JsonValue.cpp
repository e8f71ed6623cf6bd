#include "pinvane/json/JsonValue.h"

#include <iterator>

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

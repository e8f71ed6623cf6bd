#include "pinvane/json/JsonValue.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

JsonValue JsonValue::boolean(bool value) {
    JsonValue node;
    node.nodeKind = JsonKind::Bool;
    node.flag = value;
    return node;
}

JsonValue JsonValue::array() {
    JsonValue node;
    node.nodeKind = JsonKind::Array;
    node.children = nullptr;
    return node;
}

JsonValue JsonValue::object() {
    JsonValue node;
    node.nodeKind = JsonKind::Object;
    node.children = nullptr;
    return node;
}

std::string_view JsonValue::text() const {
    if (nodeKind != JsonKind::String && nodeKind != JsonKind::Number)
        return {};
    return {textData, length};
}

std::span<JsonMember> JsonValue::members() {
    if (!holdsChildren())
        return {};
    return {children, length};
}

std::span<const JsonMember> JsonValue::members() const {
    if (!holdsChildren())
        return {};
    return {children, length};
}

JsonValueRange<JsonMember, JsonValue> JsonValue::items() {
    const std::span<JsonMember> all = members();
    return {all.data(), all.size()};
}

JsonValueRange<const JsonMember, const JsonValue> JsonValue::items() const {
    const std::span<const JsonMember> all = members();
    return {all.data(), all.size()};
}

JsonValue* JsonValue::findMember(std::string_view name) {
    if (nodeKind != JsonKind::Object)
        return nullptr;
    for (size_t i = 0; i < length; ++i) {
        if (children[i].name == name)
            return &children[i].value;
    }
    return nullptr;
}

const JsonValue* JsonValue::findMember(std::string_view name) const {
    return const_cast<JsonValue*>(this)->findMember(name);
}

bool JsonValue::removeMember(std::string_view name) {
    if (nodeKind != JsonKind::Object)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (children[i].name == name) {
            std::move(children + i + 1, children + length, children + i);
            --length;
            return true;
        }
    }
    return false;
}

std::string_view JsonDocument::copyText(std::string_view text) {
    if (text.empty())
        return {};
    char* bytes = static_cast<char*>(arena.allocate(text.size(), 1));
    std::memcpy(bytes, text.data(), text.size());
    return {bytes, text.size()};
}

JsonMember* JsonDocument::allocateMembers(size_t count) {
    return static_cast<JsonMember*>(
        arena.allocate(count * sizeof(JsonMember), alignof(JsonMember)));
}

JsonValue JsonDocument::makeString(std::string_view text) {
    JsonValue node;
    node.nodeKind = JsonKind::String;
    const std::string_view copy = copyText(text);
    node.textData = copy.data();
    node.length = copy.size();
    return node;
}

JsonValue JsonDocument::makeNumber(std::string_view text) {
    JsonValue node = makeString(text);
    node.nodeKind = JsonKind::Number;
    return node;
}

void JsonDocument::grow(JsonValue& container) {
    if (container.length < container.capacity)
        return;
    if (container.length >= std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    // Doubling keeps repeated insertions linear; the old slots stay in the arena unused.
    const uint32_t capacity = static_cast<uint32_t>(
        std::min<uint64_t>(std::max<uint64_t>(4, uint64_t{container.length} * 2),
                           std::numeric_limits<uint32_t>::max()));
    JsonMember* slots = allocateMembers(capacity);
    if (container.length > 0)
        std::uninitialized_move(container.children, container.children + container.length, slots);
    container.children = slots;
    container.capacity = capacity;
}

void JsonDocument::insertMember(JsonValue& container, size_t index, std::string_view name,
                                JsonValue value) {
    grow(container);
    JsonMember* slots = container.children;
    if (index > container.length)
        index = container.length;
    if (index < container.length) {
        ::new (slots + container.length) JsonMember(std::move(slots[container.length - 1]));
        std::move_backward(slots + index, slots + container.length - 1, slots + container.length);
        slots[index] = JsonMember{name, std::move(value)};
    } else {
        ::new (slots + index) JsonMember{name, std::move(value)};
    }
    ++container.length;
}

void JsonDocument::setMember(JsonValue& object, std::string_view name, JsonValue value) {
    if (JsonValue* existing = object.findMember(name)) {
        *existing = std::move(value);
        return;
    }
    appendMember(object, name, std::move(value));
}

void JsonDocument::appendMember(JsonValue& object, std::string_view name, JsonValue value) {
    if (object.nodeKind != JsonKind::Object)
        return;
    insertMember(object, object.length, copyText(name), std::move(value));
}

void JsonDocument::insertItem(JsonValue& array, size_t index, JsonValue value) {
    if (array.nodeKind != JsonKind::Array)
        return;
    insertMember(array, index, {}, std::move(value));
}

void JsonDocument::appendItem(JsonValue& array, JsonValue value) {
    insertItem(array, array.length, std::move(value));
}

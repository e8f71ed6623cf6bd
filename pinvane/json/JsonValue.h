#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <span>
#include <string_view>

enum class JsonKind : uint8_t { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

struct JsonMember;

// The values of a run of members, as a sequence of JsonValue.
template <typename Member, typename Value> class JsonValueRange {
public:
    class iterator {
    public:
        using value_type = Value;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        explicit iterator(Member* at) : at(at) {}
        Value& operator*() const { return at->value; }
        Value* operator->() const { return &at->value; }
        iterator& operator++() {
            ++at;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++at;
            return before;
        }
        bool operator==(const iterator&) const = default;

    private:
        Member* at = nullptr;
    };

    JsonValueRange(Member* first, size_t count) : first(first), count(count) {}
    iterator begin() const { return iterator(first); }
    iterator end() const { return iterator(first + count); }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    Value& operator[](size_t i) const { return first[i].value; }
    Value& back() const { return first[count - 1].value; }

private:
    Member* first;
    size_t count;
};

// One node of a JSON document. Objects keep member order and duplicates; numbers keep
// their source text. Text and children are not owned: they lie in the parsed source or
// in the JsonDocument that made the node, and live as long as both. A node is 24 bytes
// and trivially movable; a value that was moved from must not be used again.
class JsonValue {
public:
    JsonValue() = default;
    JsonValue(JsonValue&&) noexcept = default;
    JsonValue& operator=(JsonValue&&) noexcept = default;
    JsonValue(const JsonValue&) = delete;
    JsonValue& operator=(const JsonValue&) = delete;

    static JsonValue boolean(bool value);
    static JsonValue array();
    static JsonValue object();

    JsonKind kind() const { return nodeKind; }
    bool boolValue() const { return flag; }
    // A string's decoded bytes or a number's source characters; empty for other kinds.
    std::string_view text() const;

    // Array items and object members in order; an array's members have empty names.
    std::span<JsonMember> members();
    std::span<const JsonMember> members() const;
    JsonValueRange<JsonMember, JsonValue> items();
    JsonValueRange<const JsonMember, const JsonValue> items() const;
    JsonValueRange<JsonMember, JsonValue> memberValues() { return items(); }
    JsonValueRange<const JsonMember, const JsonValue> memberValues() const { return items(); }

    // The first member of that name, byte for byte; nothing on other kinds.
    JsonValue* findMember(std::string_view name);
    const JsonValue* findMember(std::string_view name) const;
    // Removes the first member of that name; the others keep their order.
    bool removeMember(std::string_view name);

private:
    friend class JsonDocument;
    friend class JsonParser;

    bool holdsChildren() const {
        return nodeKind == JsonKind::Array || nodeKind == JsonKind::Object;
    }

    JsonKind nodeKind = JsonKind::Null;
    bool flag = false;
    uint32_t capacity = 0; // children slots allocated, of which length are used
    size_t length = 0;     // text bytes or children
    union {
        const char* textData = nullptr; // Number, String
        JsonMember* children;           // Array, Object
    };
};

struct JsonMember {
    std::string_view name;
    JsonValue value;
};

// Owns the storage of the nodes made by the parser and by the functions below: one arena
// that is released as a whole, so that a node costs no allocation of its own. Not movable:
// the nodes point into it.
class JsonDocument {
public:
    JsonDocument() = default;
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;

    JsonValue root;

    JsonValue makeString(std::string_view text);
    JsonValue makeNumber(std::string_view text);
    // Replaces the first member of that name in place, else appends the member.
    void setMember(JsonValue& object, std::string_view name, JsonValue value);
    void appendMember(JsonValue& object, std::string_view name, JsonValue value);
    void insertItem(JsonValue& array, size_t index, JsonValue value);
    void appendItem(JsonValue& array, JsonValue value);

    // A copy of the bytes in the arena.
    std::string_view copyText(std::string_view text);
    JsonMember* allocateMembers(size_t count);

private:
    // Room for one more child, the children staying in order.
    void grow(JsonValue& container);
    void insertMember(JsonValue& container, size_t index, std::string_view name, JsonValue value);

    std::pmr::monotonic_buffer_resource arena;
};

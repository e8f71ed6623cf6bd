#include "pinvane/json/JsonParser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

JsonValue objectWithDuplicates(JsonDocument& document) {
    JsonValue object = JsonValue::object();
    document.setMember(object, "a", document.makeNumber("1"));
    document.appendMember(object, "b", document.makeNumber("2"));
    document.appendMember(object, "a", document.makeNumber("3"));
    return object;
}

std::string written(const JsonValue& value) {
    std::string out;
    writeJson(value, 0, out);
    return out;
}

std::vector<std::string_view> names(const JsonValue& object) {
    std::vector<std::string_view> out;
    for (const JsonMember& member : object.members())
        out.push_back(member.name);
    return out;
}

} // namespace

TEST(JsonValue, DefaultNodeIsEmptyNull) {
    const JsonValue value;
    EXPECT_EQ(value.kind(), JsonKind::Null);
    EXPECT_FALSE(value.boolValue());
    EXPECT_TRUE(value.text().empty());
    EXPECT_TRUE(value.members().empty());
    EXPECT_TRUE(value.items().empty());
}

TEST(JsonValue, DuplicateNamesActOnTheFirstOnly) {
    JsonDocument document;
    JsonValue object = objectWithDuplicates(document);
    ASSERT_NE(object.findMember("a"), nullptr);
    EXPECT_EQ(object.findMember("a")->text(), "1");

    document.setMember(object, "a", document.makeString("new"));
    EXPECT_EQ(written(object), "{\n   \"a\": \"new\",\n   \"b\": 2,\n   \"a\": 3\n}");

    EXPECT_TRUE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2,\n   \"a\": 3\n}");
    EXPECT_TRUE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2\n}");
    EXPECT_FALSE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2\n}");
}

TEST(JsonValue, SetMemberAppendsNewNamesAtTheEnd) {
    JsonDocument document;
    JsonValue object = objectWithDuplicates(document);
    document.setMember(object, "0", document.makeString("x"));
    EXPECT_EQ(names(object), (std::vector<std::string_view>{"a", "b", "a", "0"}));
    EXPECT_EQ(object.memberValues().back().text(), "x");
}

TEST(JsonValue, FindMemberMatchesBytesExactly) {
    JsonDocument document;
    JsonValue object = JsonValue::object();
    document.setMember(object, "Name", document.makeString("upper"));
    EXPECT_EQ(object.findMember("name"), nullptr);
    EXPECT_EQ(object.findMember("Name "), nullptr);
    *object.findMember("Name") = document.makeString("edited");
    const JsonValue& constObject = object;
    ASSERT_NE(constObject.findMember("Name"), nullptr);
    EXPECT_EQ(constObject.findMember("Name")->text(), "edited");
}

TEST(JsonValue, MembersOnlyOnObjectsAndItemsOnlyOnArrays) {
    JsonDocument document;
    JsonValue values[] = {JsonValue(), JsonValue::boolean(true), document.makeNumber("1"),
                          document.makeString("text"), JsonValue::array()};
    for (JsonValue& value : values) {
        document.setMember(value, "a", document.makeString("x"));
        EXPECT_EQ(value.findMember("a"), nullptr) << static_cast<int>(value.kind());
        EXPECT_FALSE(value.removeMember("a"));
    }
    EXPECT_EQ(values[2].text(), "1");
    EXPECT_EQ(values[3].text(), "text");
    EXPECT_TRUE(values[4].items().empty());

    JsonValue object = JsonValue::object();
    document.appendItem(object, document.makeString("x"));
    EXPECT_TRUE(object.members().empty());
}

TEST(JsonValue, MakeStringCopiesBytes) {
    JsonDocument document;
    std::string bytes("\xE6\x97\xA5\0x", 5);
    const JsonValue value = document.makeString(bytes);
    bytes.assign(5, '-');
    EXPECT_EQ(value.kind(), JsonKind::String);
    EXPECT_EQ(value.text(), std::string_view("\xE6\x97\xA5\0x", 5));
}

TEST(JsonValue, InsertionsKeepOrderThroughGrowth) {
    // Parsed containers are exactly full: the first insertion moves them, later ones
    // go into the doubled room.
    const std::string source = "[\"a\", \"b\"]";
    JsonDocument document;
    std::string error;
    ASSERT_TRUE(JsonParser(source).parse(document, error)) << error;
    JsonValue& array = document.root;
    std::vector<std::string> expected = {"a", "b"};
    for (int i = 0; i < 40; ++i) {
        const std::string text = std::to_string(i);
        const size_t index = static_cast<size_t>(i * 7) % (expected.size() + 1);
        document.insertItem(array, index, document.makeString(text));
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(index), text);
    }
    document.insertItem(array, 1000, document.makeString("end"));
    expected.push_back("end");
    ASSERT_EQ(array.items().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(array.items()[i].text(), expected[i]) << i;
}

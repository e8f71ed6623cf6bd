#include "pinvane/json/JsonParser.h"

#include <gtest/gtest.h>

namespace {

JsonValue numberNode(const char* text) {
    JsonValue value;
    value.kind = JsonKind::Number;
    value.text = text;
    return value;
}

JsonValue objectWithDuplicates() {
    JsonValue object;
    object.kind = JsonKind::Object;
    object.setMember("a", numberNode("1"));
    object.memberNames.push_back("b");
    object.memberValues.push_back(numberNode("2"));
    object.memberNames.push_back("a");
    object.memberValues.push_back(numberNode("3"));
    return object;
}

std::string written(const JsonValue& value) {
    std::string out;
    writeJson(value, 0, out);
    return out;
}

} // namespace

TEST(JsonValue, DefaultNodeIsEmptyNull) {
    const JsonValue value;
    EXPECT_EQ(value.kind, JsonKind::Null);
    EXPECT_FALSE(value.boolValue);
    EXPECT_TRUE(value.text.empty());
    EXPECT_TRUE(value.items.empty());
    EXPECT_TRUE(value.memberNames.empty());
    EXPECT_TRUE(value.memberValues.empty());
}

TEST(JsonValue, DuplicateNamesActOnTheFirstOnly) {
    JsonValue object = objectWithDuplicates();
    ASSERT_NE(object.findMember("a"), nullptr);
    EXPECT_EQ(object.findMember("a")->text, "1");

    object.setMember("a", makeString("new"));
    EXPECT_EQ(written(object), "{\n   \"a\": \"new\",\n   \"b\": 2,\n   \"a\": 3\n}");

    EXPECT_TRUE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2,\n   \"a\": 3\n}");
    EXPECT_TRUE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2\n}");
    EXPECT_FALSE(object.removeMember("a"));
    EXPECT_EQ(written(object), "{\n   \"b\": 2\n}");
}

TEST(JsonValue, SetMemberAppendsNewNamesAtTheEnd) {
    JsonValue object = objectWithDuplicates();
    object.setMember("0", makeString("x"));
    ASSERT_EQ(object.memberNames.size(), 4u);
    EXPECT_EQ(object.memberNames.back(), "0");
    EXPECT_EQ(object.memberValues.back().text, "x");
    EXPECT_EQ(object.memberNames.size(), object.memberValues.size());
}

TEST(JsonValue, FindMemberMatchesBytesExactly) {
    JsonValue object;
    object.kind = JsonKind::Object;
    object.setMember("Name", makeString("upper"));
    EXPECT_EQ(object.findMember("name"), nullptr);
    EXPECT_EQ(object.findMember("Name "), nullptr);
    object.findMember("Name")->text = "edited";
    const JsonValue& constObject = object;
    ASSERT_NE(constObject.findMember("Name"), nullptr);
    EXPECT_EQ(constObject.findMember("Name")->text, "edited");
}

TEST(JsonValue, FindMemberOnOtherKindsFindsNothing) {
    // A non-object that happens to carry member sequences still has no members.
    for (JsonKind kind :
         {JsonKind::Null, JsonKind::Bool, JsonKind::Number, JsonKind::String, JsonKind::Array}) {
        JsonValue value;
        value.kind = kind;
        value.memberNames.push_back("a");
        value.memberValues.push_back(makeString("x"));
        EXPECT_EQ(value.findMember("a"), nullptr) << static_cast<int>(kind);
    }
}

TEST(JsonValue, MakeStringCopiesBytes) {
    const std::string bytes("\xE6\x97\xA5\0x", 5);
    const JsonValue value = makeString(bytes);
    EXPECT_EQ(value.kind, JsonKind::String);
    EXPECT_EQ(value.text, bytes);
}

#include "pinvane/json/JsonParser.h"

#include <gtest/gtest.h>

namespace {

// Owns the source too: the document's text may point into it.
struct ParseResult {
    explicit ParseResult(const std::string& text) : source(text) {
        ok = JsonParser(source).parse(document, error);
    }
    std::string source;
    JsonDocument document;
    JsonValue& root = document.root;
    bool ok = false;
    std::string error;
};

std::string written(const JsonValue& value) {
    std::string out;
    writeJson(value, 0, out);
    return out;
}

// The decoded bytes of one JSON string literal.
std::string decoded(const std::string& literal) {
    ParseResult result(literal);
    EXPECT_TRUE(result.ok) << literal << ": " << result.error;
    EXPECT_EQ(result.root.kind(), JsonKind::String) << literal;
    return std::string(result.root.text());
}

std::string nested(int depth, const std::string& inner, char open, char close) {
    return std::string(static_cast<size_t>(depth), open) + inner +
           std::string(static_cast<size_t>(depth), close);
}

struct ErrorCase {
    const char* input;
    const char* message;
};

} // namespace

TEST(JsonParser, ErrorsCarryMessageAndPosition) {
    const ErrorCase cases[] = {
        {"", "予期しない終端です（位置 0）"},
        {"   ", "予期しない終端です（位置 3）"},
        {"[", "予期しない終端です（位置 1）"},
        {"{\"a\": ", "予期しない終端です（位置 6）"},
        {"{} x", "末尾に余分な文字があります（位置 3）"},
        {"1 2", "末尾に余分な文字があります（位置 2）"},
        {"[1,]", "不正な値です（位置 3）"},
        {"[True]", "不正な値です（位置 1）"},
        {"nul", "不正な値です（位置 0）"},
        {"fals", "不正な値です（位置 0）"},
        {"{\"a\":}", "不正な値です（位置 5）"},
        {"\xEF\xBB\xBF{}", "不正な値です（位置 0）"},
        {"{\"a\":1,}", "キーが文字列ではありません（位置 7）"},
        {"{", "キーが文字列ではありません（位置 1）"},
        {"{ 1:2}", "キーが文字列ではありません（位置 2）"},
        {"{\"a\" 1}", "':' がありません（位置 5）"},
        {"{\"a\"", "':' がありません（位置 4）"},
        {"{\"a\":1 \"b\":2}", "',' か '}' が必要です（位置 7）"},
        {"{\"a\":1", "',' か '}' が必要です（位置 6）"},
        {"{\"a\":1]", "',' か '}' が必要です（位置 6）"},
        {"[truex]", "',' か ']' が必要です（位置 5）"},
        {"[1 ", "',' か ']' が必要です（位置 3）"},
        {"\"abc", "文字列が閉じていません（位置 4）"},
        {"\"ab\\", "文字列が閉じていません（位置 4）"},
        {"[\"a\\\"]", "文字列が閉じていません（位置 6）"},
        {"\"\\x\"", "不正なエスケープです（位置 3）"},
        {"\"\\U0041\"", "不正なエスケープです（位置 3）"},
        {"\"\\u12\"", "\\u エスケープが不正です（位置 3）"},
        {"\"\\u12G4\"", "\\u エスケープが不正です（位置 6）"},
        {"\"\\ud83d\\u12\"", "\\u エスケープが不正です（位置 9）"},
        {"\"\\ud83d\\uZ000\"", "\\u エスケープが不正です（位置 10）"},
    };
    for (const ErrorCase& c : cases) {
        std::string error = "untouched";
        JsonDocument document;
        EXPECT_FALSE(JsonParser(c.input).parse(document, error)) << c.input;
        EXPECT_EQ(error, c.message) << c.input;
    }
}

TEST(JsonParser, SuccessLeavesErrorTextAlone) {
    for (const char* input : {"{}\n   ", " [ ] ", "\"\"", "true", "null", "-", "e"}) {
        std::string error = "untouched";
        JsonDocument document;
        EXPECT_TRUE(JsonParser(input).parse(document, error)) << input;
        EXPECT_EQ(error, "untouched") << input;
    }
}

TEST(JsonParser, NestingStopsBeyond256Containers) {
    EXPECT_TRUE(ParseResult(nested(256, "1", '[', ']')).ok);
    EXPECT_TRUE(ParseResult(nested(257, "", '[', ']')).ok);
    EXPECT_EQ(ParseResult(nested(257, "1", '[', ']')).error, "ネストが深すぎます（位置 257）");
    // The depth test comes first: even a truncated text reports the nesting.
    EXPECT_EQ(ParseResult(std::string(300, '[')).error, "ネストが深すぎます（位置 257）");

    std::string objects;
    for (int i = 0; i < 257; ++i)
        objects += "{\"k\":";
    const std::string deepObjects = objects + "1" + std::string(257, '}');
    // 257 object openings put the value at byte 257 * 5.
    EXPECT_EQ(ParseResult(deepObjects).error, "ネストが深すぎます（位置 1285）");
    EXPECT_TRUE(ParseResult(deepObjects.substr(5, deepObjects.size() - 6)).ok);
}

TEST(JsonParser, EscapesDecodeToExactBytes) {
    const struct {
        const char* literal;
        std::string bytes;
    } cases[] = {
        {"\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"", "\"\\/\b\f\n\r\t"},
        {"\"\\u0041\\u00e9\\u00E9\"", "A\xC3\xA9\xC3\xA9"},
        {"\"\\u0000\"", std::string(1, '\0')},
        {"\"\\u007f\\u0080\\u07FF\\u0800\\uFFFF\"", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
        {"\"\\ud83d\\ude00\"", "\xF0\x9F\x98\x80"},
        {"\"\\uDBFF\\uDFFF\"", "\xF4\x8F\xBF\xBF"},
        // A surrogate that is not part of a pair is encoded as it stands.
        {"\"\\ud83d\\u0041\"", "\xED\xA0\xBD"
                               "A"},
        {"\"\\ud83d\\ud83d\\ude00\"", "\xED\xA0\xBD\xF0\x9F\x98\x80"},
        {"\"\\ud83d\\n\"", "\xED\xA0\xBD\n"},
        {"\"\\ud83dx\"", "\xED\xA0\xBDx"},
        {"\"\\ude00\"", "\xED\xB8\x80"},
        // Raw control bytes and invalid UTF-8 pass unchanged.
        {"\"\t\x01\xFF\xE3\x81\"", "\t\x01\xFF\xE3\x81"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decoded(c.literal), c.bytes) << c.literal;
}

TEST(JsonParser, AppendUtf8Boundaries) {
    const struct {
        uint32_t codePoint;
        std::string bytes;
    } cases[] = {
        {0x41, "A"},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = ">";
        appendUtf8(out, c.codePoint);
        EXPECT_EQ(out, ">" + c.bytes) << std::hex << c.codePoint;
    }
    std::string zero;
    appendUtf8(zero, 0);
    EXPECT_EQ(zero, std::string(1, '\0'));
}

TEST(JsonParser, NumbersKeepTheirSourceText) {
    ParseResult result("[1.50e+03, -0, e, 1.50, 1.2.3, +5, -, 1e, 13312345678901234567]");
    ASSERT_TRUE(result.ok) << result.error;
    const char* expected[] = {
        "1.50e+03", "-0", "e", "1.50", "1.2.3", "+5", "-", "1e", "13312345678901234567"};
    ASSERT_EQ(result.root.items().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(result.root.items()[i].kind(), JsonKind::Number);
        EXPECT_EQ(result.root.items()[i].text(), expected[i]);
    }
}

TEST(JsonParser, ScalarsAndContainersGetTheirKinds) {
    ParseResult result("{\"t\":true,\"f\":false,\"n\":null,\"s\":\"x\",\"a\":[],\"o\":{}}");
    ASSERT_TRUE(result.ok) << result.error;
    const JsonValue& root = result.root;
    EXPECT_EQ(root.kind(), JsonKind::Object);
    EXPECT_TRUE(root.findMember("t")->boolValue());
    EXPECT_EQ(root.findMember("f")->kind(), JsonKind::Bool);
    EXPECT_FALSE(root.findMember("f")->boolValue());
    EXPECT_EQ(root.findMember("n")->kind(), JsonKind::Null);
    EXPECT_EQ(root.findMember("s")->kind(), JsonKind::String);
    EXPECT_EQ(root.findMember("a")->kind(), JsonKind::Array);
    EXPECT_EQ(root.findMember("o")->kind(), JsonKind::Object);
    EXPECT_EQ(root.members().size(), 6u);
}

TEST(JsonParser, DuplicateMembersAreKeptInOrder) {
    ParseResult result("{\"a\":1,\"b\":{\"x\":[1,{\"y\":2}]},\"a\":2}");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(written(result.root), "{\n"
                                    "   \"a\": 1,\n"
                                    "   \"b\": {\n"
                                    "      \"x\": [\n"
                                    "         1,\n"
                                    "         {\n"
                                    "            \"y\": 2\n"
                                    "         }\n"
                                    "      ]\n"
                                    "   },\n"
                                    "   \"a\": 2\n"
                                    "}");
}

TEST(JsonWriter, LayoutOfTheExampleDocument) {
    JsonDocument document;
    JsonValue array = JsonValue::array();
    document.appendItem(array, document.makeNumber("1"));
    document.appendItem(array, document.makeString("x"));
    JsonValue root = JsonValue::object();
    document.setMember(root, "a", std::move(array));
    document.setMember(root, "b", JsonValue::object());
    EXPECT_EQ(written(root), "{\n   \"a\": [\n      1,\n      \"x\"\n   ],\n   \"b\": {}\n}");

    // A nested start depth indents the closing bracket and the children only.
    std::string out;
    writeJson(root.memberValues()[0], 2, out);
    EXPECT_EQ(out, "[\n         1,\n         \"x\"\n      ]");
}

TEST(JsonWriter, StringEscapeTable) {
    std::string all;
    for (int i = 0; i < 0x20; ++i)
        all += static_cast<char>(i);
    all += "\"\\/\x7F\xC3\xA9 ";
    std::string out;
    writeJsonString(all, out);
    EXPECT_EQ(out, "\"\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007\\b\\t\\n\\u000b\\f"
                   "\\r\\u000e\\u000f\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017"
                   "\\u0018\\u0019\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f\\\"\\\\/\x7F\xC3\xA9 "
                   "\"");
}

TEST(JsonWriter, InputEscapesComeBackInTheWriterForm) {
    ParseResult result("[\"a\\/b\", \"\\u00E9\", \"\\u001F\", \"\t\", \"\\u0000\"]");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(written(result.root),
              "[\n   \"a/b\",\n   \"\xC3\xA9\",\n   \"\\u001f\",\n   \"\\t\",\n   \"\\u0000\"\n]");
}

TEST(JsonWriter, TextInTheWriterLayoutRoundTripsByteForByte) {
    const std::string document =
        "{\n"
        "   \"checksum\": \"ef4b2827a35f2ef2bcf155e773181fb9\",\n"
        "   \"roots\": {\n"
        "      \"bookmark_bar\": {\n"
        "         \"children\": [\n"
        "            {\n"
        "               \"date_added\": \"13441368092744435\",\n"
        "               \"guid\": \"12a9fb63-bbd1-4eba-a197-cfd14b2be189\",\n"
        "               \"id\": \"6\",\n"
        "               \"meta_info\": {\n"
        "                  \"power_bookmark_meta\": \"\"\n"
        "               },\n"
        "               \"name\": \"社内ポータル \\\"本番\\\" \\\\ \\t\\u0001\",\n"
        "               \"type\": \"url\",\n"
        "               \"url\": \"https://portal.example.co.jp/?q=a/b\"\n"
        "            },\n"
        "            {\n"
        "               \"children\": [],\n"
        "               \"name\": \"空のフォルダ\",\n"
        "               \"type\": \"folder\"\n"
        "            }\n"
        "         ],\n"
        "         \"type\": \"folder\"\n"
        "      },\n"
        "      \"other\": {},\n"
        "      \"flags\": [\n"
        "         true,\n"
        "         false,\n"
        "         null,\n"
        "         -1.50e+03\n"
        "      ]\n"
        "   },\n"
        "   \"version\": 1\n"
        "}";
    ParseResult result(document);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(written(result.root), document);

    // Whitespace after the root is not written back.
    ParseResult trailing(document + "\n \r\n\t");
    ASSERT_TRUE(trailing.ok) << trailing.error;
    EXPECT_EQ(written(trailing.root), document);
}

TEST(JsonWriter, ScalarRootsHaveNoLineFeed) {
    for (const char* text : {"null", "true", "false", "0", "\"x\"", "[]", "{}"})
        EXPECT_EQ(written(ParseResult(text).root), text);
}

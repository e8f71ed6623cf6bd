#include "pinvane/support/Text.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(JoinPath, SeparatorRules) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", L"Pinvane.log", L"Pinvane.log"}, {L"C:\\a\\", L"b", L"C:\\a\\b"},
        {L"C:/a/", L"b", L"C:/a/b"},           {L"C:\\a", L"b", L"C:\\a\\b"},
        {L"C:\\a", L"\\b", L"C:\\a\\\\b"},     {L"rel", L"", L"rel\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(joinPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
}

TEST(Converters, RoundTripAndMalformedInput) {
    const std::string japanese = "\xE8\xA8\xAD\xE5\xAE\x9A"; // 設定
    EXPECT_EQ(utf8ToWide(japanese), L"\u8A2D\u5B9A");
    EXPECT_EQ(wideToUtf8(L"\u8A2D\u5B9A"), japanese);
    EXPECT_EQ(wideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8ToWide(""), L"");
    EXPECT_EQ(wideToUtf8(L""), "");
    // Invalid UTF-8 is replaced, never an error.
    const std::wstring replaced = utf8ToWide(std::string("a\xFF"
                                                         "b",
                                                         3));
    EXPECT_EQ(replaced, L"a\uFFFDb");
    // Embedded NUL bytes survive.
    EXPECT_EQ(utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Environment, SetUnsetAndEmpty) {
    SetEnvironmentVariableW(L"PINVANE_TEST_VAR", L"C:\\Users\\\u3042");
    EXPECT_EQ(getEnvironmentText(L"PINVANE_TEST_VAR"), L"C:\\Users\\\u3042");
    SetEnvironmentVariableW(L"PINVANE_TEST_VAR", nullptr);
    EXPECT_EQ(getEnvironmentText(L"PINVANE_TEST_VAR"), L"");
    const std::wstring longValue(5000, L'x');
    SetEnvironmentVariableW(L"PINVANE_TEST_VAR", longValue.c_str());
    EXPECT_EQ(getEnvironmentText(L"PINVANE_TEST_VAR"), longValue);
    SetEnvironmentVariableW(L"PINVANE_TEST_VAR", nullptr);
}

TEST(Environment, ExpandRefusesUnsetVariables) {
    SetEnvironmentVariableW(L"PINVANE_TEST_DATA", L"C:\\Users\\u\\AppData\\Local");
    SetEnvironmentVariableW(L"PINVANE_TEST_UNSET", nullptr);
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%PINVANE_TEST_DATA%\\Pinvane", L"C:\\Users\\u\\AppData\\Local\\Pinvane"},
        {L"D:\\logs", L"D:\\logs"},
        {L"D:\\100%\\logs", L"D:\\100%\\logs"},
        {L"%PINVANE_TEST_UNSET%\\Pinvane", L""},
        {L"%PINVANE_TEST_DATA%\\%PINVANE_TEST_UNSET%", L""},
        // A pair of % around a path is no variable name.
        {L"D:\\50%\\x\\75%", L"D:\\50%\\x\\75%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(expandEnvironmentText(c.text), c.expected) << testing::PrintToString(c.text);
    SetEnvironmentVariableW(L"PINVANE_TEST_DATA", nullptr);
}

#include "pinvane/chromium/BookmarkNodes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>

namespace {

uint64_t nowMicroseconds() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return ((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10;
}

} // namespace

TEST(RandomGuidText, Version4LowercaseAndFresh) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string guid = randomGuidText();
        ASSERT_EQ(guid.size(), 36u) << guid;
        for (size_t p = 0; p < guid.size(); ++p) {
            if (p == 8 || p == 13 || p == 18 || p == 23)
                EXPECT_EQ(guid[p], '-') << guid;
            else
                EXPECT_TRUE((guid[p] >= '0' && guid[p] <= '9') ||
                            (guid[p] >= 'a' && guid[p] <= 'f'))
                    << guid;
        }
        EXPECT_EQ(guid[14], '4') << guid;
        EXPECT_NE(std::string("89ab").find(guid[19]), std::string::npos) << guid;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(ChromiumTime, MicrosecondsSince1601) {
    const uint64_t before = nowMicroseconds();
    const std::string text = chromiumTimeNow();
    const uint64_t after = nowMicroseconds();
    ASSERT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
    const uint64_t value = std::stoull(text);
    EXPECT_GE(value, before);
    EXPECT_LE(value, after);
}

TEST(MakeUrlNode, SevenStringMembersInChromiumOrder) {
    const uint64_t before = nowMicroseconds();
    JsonDocument document;
    const JsonValue node = makeUrlNode(document, -7, {"タイトル", "https://example.com/"});
    const std::vector<std::string_view> names = {"date_added", "date_last_used", "guid", "id",
                                                 "name",       "type",           "url"};
    ASSERT_EQ(node.kind(), JsonKind::Object);
    std::vector<std::string_view> actual;
    for (const JsonMember& member : node.members())
        actual.push_back(member.name);
    ASSERT_EQ(actual, names);
    const auto values = node.memberValues();
    for (const JsonValue& value : values)
        EXPECT_EQ(value.kind(), JsonKind::String);
    EXPECT_GE(std::stoull(std::string(values[0].text())), before);
    EXPECT_EQ(values[1].text(), "0");
    EXPECT_EQ(values[2].text().size(), 36u);
    EXPECT_EQ(values[3].text(), "-7");
    EXPECT_EQ(values[4].text(), "タイトル");
    EXPECT_EQ(values[5].text(), "url");
    EXPECT_EQ(values[6].text(), "https://example.com/");
}

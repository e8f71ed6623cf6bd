#include "pinvane/chromium/BookmarkNodes.h"

#include <windows.h>

#include <bcrypt.h>

std::string chromiumTimeNow() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return std::to_string(ticks / 10);
}

std::string randomGuidText() {
    unsigned char bytes[16] = {};
    // A failing generator leaves zeros; the version and variant bits still make it a GUID.
    BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);

    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

JsonValue makeUrlNode(JsonDocument& document, int64_t id, const BookmarkSpec& bookmark) {
    JsonValue node = JsonValue::object();
    const auto set = [&](const char* name, std::string_view text) {
        document.setMember(node, name, document.makeString(text));
    };
    set("date_added", chromiumTimeNow());
    set("date_last_used", "0");
    set("guid", randomGuidText());
    set("id", std::to_string(id));
    set("name", bookmark.title);
    set("type", "url");
    set("url", bookmark.url);
    return node;
}

JsonValue makeFolderNode(JsonDocument& document, int64_t id, std::string_view title) {
    JsonValue node = JsonValue::object();
    const auto set = [&](const char* name, std::string_view text) {
        document.setMember(node, name, document.makeString(text));
    };
    const std::string now = chromiumTimeNow();
    document.setMember(node, "children", JsonValue::array());
    set("date_added", now);
    set("date_last_used", "0");
    set("date_modified", now);
    set("guid", randomGuidText());
    set("id", std::to_string(id));
    set("name", title);
    set("type", "folder");
    return node;
}

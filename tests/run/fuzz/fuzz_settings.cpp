// libFuzzer target for the settings reader: any bytes give settings that the
// rest of the run can rely on, and every warning is a settings line.
#include "NativeSupport.h"
#include "pinvane/run/Settings.h"
#include "pinvane/support/RunLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "%s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The line of the first byte that is not UTF-8 lies within the input.
    const size_t lines = 1 + static_cast<size_t>(std::count(input.begin(), input.end(), '\n'));
    if (firstLineNotUtf8(input) > lines)
        fail("line beyond the input", std::to_string(firstLineNotUtf8(input)));

    RunLog::open(L"fuzz.log");
    Settings settings;
    parseSettingsText(input, settings);

    if (settings.closeTimeoutSeconds < 0 || settings.closeTimeoutSeconds > 999999)
        fail("timeout out of range", std::to_string(settings.closeTimeoutSeconds));
    const int position = static_cast<int>(settings.insertPosition);
    if (position < 0 || position > 2)
        fail("insert position out of range", std::to_string(position));
    if (settings.bookmarks.size() > input.size())
        fail("more bookmarks than bytes");
    for (const BookmarkSpec& bookmark : settings.bookmarks) {
        if (bookmark.title.empty() || bookmark.url.empty())
            fail("bookmark without title or URL");
        if (isBlank(bookmark.title.front()) || isBlank(bookmark.title.back()))
            fail("title not trimmed", bookmark.title);
        for (char c : bookmark.url)
            if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E)
                fail("URL byte outside 0x21-0x7E", bookmark.url);
        if (normalizeBookmarkUrl(bookmark.url) != bookmark.url)
            fail("URL normalisation is not stable", bookmark.url);
        if (!isAbsoluteUrl(bookmark.url))
            fail("URL kept that is not absolute", bookmark.url);
        if (!bookmark.folder.empty() &&
            (isBlank(bookmark.folder.front()) || isBlank(bookmark.folder.back())))
            fail("folder not trimmed", bookmark.folder);
        if (input.find(bookmark.title) == std::string::npos)
            fail("title not taken from the input", bookmark.title);
    }
    for (const std::wstring& line : fuzzLogLines())
        if (line.rfind(L"設定: ", 0) != 0)
            fail("warning without the settings prefix");
    return 0;
}

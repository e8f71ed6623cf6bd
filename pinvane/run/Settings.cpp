#include "pinvane/run/Settings.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <algorithm>

namespace {

bool isSettingsSection(const std::string& name) {
    return lowerAsciiText(name) == "settings";
}

// Six digits at most, so the value always fits and stays within 0..999999.
bool parseTimeout(const std::string& value, int32_t& seconds) {
    if (value.empty() || value.size() > 6)
        return false;
    int32_t result = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10 + (c - '0');
    }
    seconds = result;
    return true;
}

bool parseInsertPosition(const std::string& value, InsertPosition& position) {
    const std::string word = lowerAsciiText(value);
    if (word == "top")
        position = InsertPosition::Top;
    else if (word == "afterfolders")
        position = InsertPosition::AfterFolders;
    else if (word == "bottom")
        position = InsertPosition::Bottom;
    else
        return false;
    return true;
}

struct SectionState {
    std::string name; // empty before the first header
    std::string title;
    std::string url;
    std::string folder;
};

void closeSection(const SectionState& section, Settings& settings) {
    if (section.name.empty() || isSettingsSection(section.name))
        return;
    if (section.title.empty() || section.url.empty()) {
        RunLog::writeLine(L"設定: [" + utf8ToWide(section.name) +
                          L"] は Title と Url の両方が必要です。無視します");
        return;
    }
    std::string url = normalizeBookmarkUrl(windowsPathToFileUrl(section.url));
    // The browsers drop such a bookmark when they load the file: refuse it here, visibly.
    if (!isAbsoluteUrl(url)) {
        RunLog::writeLine(L"設定: [" + utf8ToWide(section.name) +
                          L"] の Url は絶対 URL ではありません。無視します: " +
                          utf8ToWide(section.url));
        return;
    }
    settings.bookmarks.push_back({section.title, std::move(url), section.folder});
}

void applyKey(const std::string& key, const std::string& value, SectionState& section,
              Settings& settings) {
    if (isSettingsSection(section.name)) {
        if (key == "closetimeoutseconds") {
            if (!parseTimeout(value, settings.closeTimeoutSeconds))
                RunLog::writeLine(L"設定: CloseTimeoutSeconds は 0 "
                                  L"以上の整数で指定してください。初期値を使います");
        } else if (key == "insertposition") {
            if (!parseInsertPosition(value, settings.insertPosition))
                RunLog::writeLine(L"設定: InsertPosition は top / afterfolders / bottom "
                                  L"のいずれかで指定してください。初期値を使います");
        }
        return;
    }
    if (key == "title")
        section.title = value;
    else if (key == "url")
        section.url = value;
    else if (key == "folder")
        section.folder = value;
}

void handleLine(std::string_view rawLine, SectionState& section, Settings& settings) {
    const std::string line = trimBlanks(rawLine);
    if (line.empty() || line.front() == ';' || line.front() == '#')
        return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        closeSection(section, settings);
        section.name = trimBlanks(line.substr(1, line.size() - 2));
        if (section.name.empty())
            section.name = "(無名)";
        section.title.clear();
        section.url.clear();
        section.folder.clear();
        return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return;
    const std::string key = lowerAsciiText(trimBlanks(line.substr(0, equals)));
    applyKey(key, trimBlanks(line.substr(equals + 1)), section, settings);
}

} // namespace

SettingsLoad loadSettings(const std::wstring& path, Settings& settings) {
    std::string content;
    if (!readFileBytes(path, content))
        return {SettingsStatus::Unreadable, 0};
    // Read as UTF-8, a file saved in the ANSI code page or as UTF-16 would deploy
    // garbled titles to every profile.
    if (const size_t line = firstLineNotUtf8(withoutUtf8Bom(content)))
        return {SettingsStatus::NotUtf8, line};
    parseSettingsText(content, settings);
    return {SettingsStatus::Loaded, 0};
}

void parseSettingsText(const std::string& content, Settings& settings) {
    SectionState section;
    forEachLine(withoutUtf8Bom(content),
                [&](std::string_view line) { handleLine(line, section, settings); });
    closeSection(section, settings);
}

std::string windowsPathToFileUrl(const std::string& value) {
    std::string url;
    if (value.starts_with("\\\\"))
        url = "file://" + value.substr(2);
    else if (value.size() >= 3 && isAsciiLetter(value[0]) && value[1] == ':' &&
             (value[2] == '\\' || value[2] == '/'))
        url = "file:///" + value;
    else
        return value;
    std::replace(url.begin(), url.end(), '\\', '/');
    return url;
}

bool isAbsoluteUrl(const std::string& url) {
    if (url.empty() || url.size() > 65536 || !isAsciiLetter(url[0]))
        return false;
    size_t colon = 1;
    while (colon < url.size() &&
           (isAsciiLetter(url[colon]) || (url[colon] >= '0' && url[colon] <= '9') ||
            url[colon] == '+' || url[colon] == '-' || url[colon] == '.'))
        ++colon;
    if (colon == url.size() || url[colon] != ':')
        return false;
    const std::string scheme = lowerAsciiText(url.substr(0, colon));
    if (scheme != "http" && scheme != "https" && scheme != "ftp" && scheme != "ws" &&
        scheme != "wss")
        return true;
    // Browsers skip any number of slashes before the host of these schemes.
    const size_t authority = url.find_first_not_of("/\\", colon + 1);
    if (authority == std::string::npos)
        return false;
    const size_t authorityEnd = std::min(url.find_first_of("/\\?#", authority), url.size());
    std::string_view host(url.data() + authority, authorityEnd - authority);
    if (const size_t at = host.rfind('@'); at != std::string_view::npos)
        host.remove_prefix(at + 1);
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        return close != std::string_view::npos && close > 1;
    }
    return !host.substr(0, host.find(':')).empty();
}

std::string normalizeBookmarkUrl(const std::string& value) {
    static const char hexDigits[] = "0123456789ABCDEF";
    const std::string trimmed = trimBlanks(value);
    std::string url;
    url.reserve(trimmed.size());
    for (char c : trimmed) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x21 && byte <= 0x7E) {
            url += c;
        } else {
            url += '%';
            url += hexDigits[byte >> 4];
            url += hexDigits[byte & 0xF];
        }
    }

    const size_t schemeEnd = url.find("://");
    if (url.size() <= 2 || schemeEnd == std::string::npos || schemeEnd < 1)
        return url;
    for (size_t i = 0; i < schemeEnd; ++i) {
        if (!isAsciiLetter(url[i]))
            return url;
        url[i] = lowerAscii(url[i]);
    }

    size_t hostStart = schemeEnd + 3;
    size_t hostEnd = url.find_first_of("/?#", hostStart);
    if (hostEnd == std::string::npos) {
        url += '/';
        hostEnd = url.size() - 1;
    } else if (url[hostEnd] != '/') {
        url.insert(hostEnd, 1, '/');
    }
    // User information keeps its case; only host and port are lower-cased.
    const size_t at = url.rfind('@', hostEnd);
    if (at != std::string::npos && at >= hostStart)
        hostStart = at + 1;
    for (size_t i = hostStart; i < hostEnd; ++i)
        url[i] = lowerAscii(url[i]);
    return url;
}

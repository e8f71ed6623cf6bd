#include "pinvane/run/Settings.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAsciiText(std::string text) {
    for (char& c : text)
        c = lowerAscii(c);
    return text;
}

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
};

void closeSection(const SectionState& section, Settings& settings) {
    if (section.name.empty() || isSettingsSection(section.name))
        return;
    if (section.title.empty() || section.url.empty()) {
        RunLog::writeLine(L"設定: [" + utf8ToWide(section.name) +
                          L"] は Title と Url の両方が必要です。無視します");
        return;
    }
    settings.bookmarks.push_back({section.title, normalizeBookmarkUrl(section.url)});
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
}

void handleLine(const std::string& rawLine, SectionState& section, Settings& settings) {
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
        return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return;
    const std::string key = lowerAsciiText(trimBlanks(line.substr(0, equals)));
    applyKey(key, trimBlanks(line.substr(equals + 1)), section, settings);
}

} // namespace

bool loadSettings(const std::wstring& path, Settings& settings) {
    std::string content;
    if (!readFileBytes(path, content))
        return false;
    parseSettingsText(content, settings);
    return true;
}

void parseSettingsText(const std::string& content, Settings& settings) {
    size_t start = content.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    SectionState section;
    for (;;) {
        const size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            handleLine(content.substr(start), section, settings);
            break;
        }
        handleLine(content.substr(start, end - start), section, settings);
        start = end + 1;
    }
    closeSection(section, settings);
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

std::string trimBlanks(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Times addToChromiumBookmarks on a large generated Bookmarks file and shows how the time
// grows with the file and with the bookmark list.
#include "pinvane/chromium/ChromiumBookmarks.h"
#include "pinvane/json/JsonParser.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int urlsPerFolder = 100;

std::string urlTitle(int i) {
    return "Page " + std::to_string(i);
}

// Chromium's layout for folders, one line per URL node so that 100 000 URLs make about
// 20 MB. Half the URLs sit in folders on the bar, half in folders under "other".
std::string generateFile(int urlCount) {
    std::string out;
    out.reserve(static_cast<size_t>(urlCount) * 220 + 4096);
    int id = 4;
    const auto folders = [&](int first, int last) {
        std::string text;
        for (int start = first; start < last; start += urlsPerFolder) {
            if (start != first)
                text += ", ";
            text += "{\n            \"children\": [\n";
            for (int i = start; i < std::min(last, start + urlsPerFolder); ++i) {
                if (i != start)
                    text += ",\n";
                text += "               { \"date_added\": \"13441368092744435\", "
                        "\"date_last_used\": \"0\", "
                        "\"guid\": \"12a9fb63-bbd1-4eba-a197-cfd14b2be189\", \"id\": \"" +
                        std::to_string(id++) + "\", \"name\": \"" + urlTitle(i) +
                        "\", \"type\": \"url\", \"url\": \"https://example.com/p/" +
                        std::to_string(i) + "\" }";
            }
            text += " ],\n            \"date_added\": \"13441368092742440\",\n"
                    "            \"date_last_used\": \"0\",\n"
                    "            \"date_modified\": \"13441368092744435\",\n"
                    "            \"guid\": \"8ec89ebe-1ae1-4a32-9dd1-c113cb034860\",\n"
                    "            \"id\": \"" +
                    std::to_string(id++) + "\",\n            \"name\": \"Folder " +
                    std::to_string(start) + "\",\n            \"type\": \"folder\"\n         }";
        }
        return text;
    };
    const auto rootNode = [](const std::string& children, const char* id, const char* name) {
        return std::string("{\n         \"children\": [ ") + children +
               " ],\n         \"date_added\": \"13441368092474799\",\n"
               "         \"date_last_used\": \"0\",\n"
               "         \"date_modified\": \"13441368092746271\",\n"
               "         \"guid\": \"0bc5d13f-2cba-5d74-951f-3f233fe6c908\",\n"
               "         \"id\": \"" +
               id + "\",\n         \"name\": \"" + name +
               "\",\n         \"type\": \"folder\"\n      }";
    };
    out += "{\n   \"checksum\": \"ef4b2827a35f2ef2bcf155e773181fb9\",\n   \"roots\": {\n";
    out += "      \"bookmark_bar\": " + rootNode(folders(0, urlCount / 2), "1", "Bookmarks bar");
    out +=
        ",\n      \"other\": " + rootNode(folders(urlCount / 2, urlCount), "2", "Other bookmarks");
    out += ",\n      \"synced\": " + rootNode("", "3", "Mobile bookmarks");
    out += "\n   },\n   \"version\": 1\n}\n";
    return out;
}

// Half new titles, half titles spread over the file with a changed URL.
std::vector<BookmarkSpec> makeBookmarks(int count, int urlCount) {
    std::vector<BookmarkSpec> list;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            list.push_back(
                {"New " + std::to_string(i), "https://new.example.com/" + std::to_string(i) + "/"});
        else
            list.push_back(
                {urlTitle(static_cast<int>(static_cast<long long>(i) * urlCount / count)),
                 "https://moved.example.com/" + std::to_string(i) + "/"});
    }
    return list;
}

double seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double edit = 1e9; // the whole call: read, parse, edit, serialize, replace
    double read = 1e9; // its parts, timed alone
    double parse = 1e9;
    double serialize = 1e9;
    double replace = 1e9;    // of the bytes just read: with read, the least any editor spends
    double naiveMatch = 1e9; // one whole-tree walk per bookmark, which the index avoids
    size_t bytes = 0;
};

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&last); }
    // Seconds since the previous lap.
    double lap() {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const double elapsed = seconds(last, now);
        last = now;
        return elapsed;
    }

private:
    LARGE_INTEGER last;
};

void keepBest(double& best, double value) {
    best = std::min(best, value);
}

Figures measure(const std::wstring& folder, int urlCount, int bookmarkCount) {
    const std::string content = generateFile(urlCount);
    const std::vector<BookmarkSpec> bookmarks = makeBookmarks(bookmarkCount, urlCount);
    const std::wstring path = joinPath(folder, L"Bookmarks");
    Figures best;
    best.bytes = content.size();
    for (int round = 0; round < 3; ++round) {
        replaceFileAtomically(path, content);
        RunLog::open(joinPath(folder, L"bench.log"));
        Stopwatch watch;
        if (addToChromiumBookmarks(path, bookmarks, InsertPosition::AfterFolders).failed)
            std::printf("addToChromiumBookmarks failed\n");
        keepBest(best.edit, watch.lap());

        std::string text;
        readFileBytes(path, text);
        keepBest(best.read, watch.lap());
        replaceFileAtomically(path, text);
        keepBest(best.replace, watch.lap());
        JsonDocument document;
        std::string error;
        JsonParser(content).parse(document, error);
        keepBest(best.parse, watch.lap());
        std::string output;
        output.reserve(content.size() + content.size() / 2);
        writeJson(document.root, 0, output);
        keepBest(best.serialize, watch.lap());

        if (round > 0)
            continue;
        size_t found = 0;
        JsonValue& roots = *document.root.findMember("roots");
        for (const BookmarkSpec& bookmark : bookmarks) {
            std::vector<JsonValue*> matches;
            for (JsonValue& tree : roots.memberValues())
                collectTitleMatches(tree, bookmark.title, matches);
            found += matches.size();
        }
        keepBest(best.naiveMatch, watch.lap());
        if (found != static_cast<size_t>(bookmarkCount / 2))
            std::printf("unexpected match count %zu\n", found);
    }
    return best;
}

} // namespace

int main() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = joinPath(temp, L"pinvane-bench-chromium");
    createDirectoryTree(folder);

    const struct {
        const char* what;
        int urls;
        int bookmarks;
    } cases[] = {
        {"base", 100000, 200},
        {"file x2", 200000, 200},
        {"list x2", 100000, 400},
    };
    std::printf("Best of 3 rounds, seconds. The parts are timed alone on the same file;\n"
                "replace writes the bytes just read.\n");
    std::printf("%-8s %7s %9s %5s | %6s | %6s %7s %6s %6s | %10s\n", "case", "urls", "bytes",
                "list", "edit", "read", "replace", "parse", "write", "naive walk");
    double base = 0;
    double doubled = 0;
    double floor = 0;
    for (const auto& c : cases) {
        const Figures f = measure(folder, c.urls, c.bookmarks);
        if (base == 0) {
            base = f.edit;
            floor = f.read + f.replace;
        } else if (doubled == 0) {
            doubled = f.edit;
        }
        std::printf("%-8s %7d %9zu %5d | %6.3f | %6.3f %7.3f %6.3f %6.3f | %10.3f  x%.2f\n", c.what,
                    c.urls, f.bytes, c.bookmarks, f.edit, f.read, f.replace, f.parse, f.serialize,
                    f.naiveMatch, f.edit / base);
    }
    std::printf("chromium: edit %.2fx read+replace of the same file, doubled file x%.2f\n",
                base / floor, doubled / base);
    DeleteFileW(joinPath(folder, L"Bookmarks").c_str());
    DeleteFileW(joinPath(folder, L"bench.log").c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}

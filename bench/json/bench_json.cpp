// Round-trip throughput (parse + serialize) of pinvane/json against RapidJSON and
// nlohmann ordered_json on a generated Chromium-like Bookmarks document.
//   bench_json [--urls=N | file]   generate (100 000 URL nodes by default) or take the
//                                  document and compare all three
//   bench_json --run <lib> <file>   one library in a fresh process, for its peak memory
#include "pinvane/json/JsonParser.h"

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace {

int urlCount = 100000;
constexpr int rounds = 3;

std::string guid(std::mt19937_64& random) {
    static const char hex[] = "0123456789abcdef";
    std::string text = "xxxxxxxx-xxxx-4xxx-axxx-xxxxxxxxxxxx";
    for (char& c : text)
        if (c == 'x')
            c = hex[random() & 15];
    return text;
}

std::string japaneseTitle(std::mt19937_64& random, int index) {
    static const char* words[] = {"社内ポータル",       "経費精算システム", "勤怠管理",
                                  "プロジェクト計画書", "議事録",           "東京本社",
                                  "大阪支店",           "人事評価",         "お知らせ一覧",
                                  "セキュリティ研修",   "製品カタログ",     "顧客管理データベース"};
    std::string title;
    const int count = 2 + static_cast<int>(random() % 3);
    for (int i = 0; i < count; ++i) {
        title += words[random() % std::size(words)];
        title += i + 1 < count ? "・" : "";
    }
    return title + "（" + std::to_string(index) + "）";
}

struct Generator {
    JsonDocument document;
    std::mt19937_64 random{20261210};
    int nextId = 4;
    int urls = 0;
    long long time = 13341368092744435LL;

    void set(JsonValue& node, const char* name, const std::string& text) {
        document.setMember(node, name, document.makeString(text));
    }

    void common(JsonValue& node) {
        set(node, "date_added", std::to_string(time += 1 + random() % 100000));
        set(node, "date_last_used", random() % 3 ? "0" : std::to_string(time + 7));
        set(node, "guid", guid(random));
        set(node, "id", std::to_string(nextId++));
    }

    JsonValue url() {
        JsonValue node = JsonValue::object();
        common(node);
        set(node, "name", japaneseTitle(random, urls));
        set(node, "type", "url");
        set(node, "url",
            "https://intra" + std::to_string(random() % 50) + ".example.jp/d/" +
                std::to_string(urls));
        ++urls;
        return node;
    }

    // Folders of a few hundred children, nested up to two levels deep.
    JsonValue folder(int depth, int budget) {
        JsonValue children = JsonValue::array();
        while (budget > 0) {
            if (depth < 2 && budget > 40 && random() % 8 == 0) {
                const int part = std::min(budget, 20 + static_cast<int>(random() % 400));
                document.appendItem(children, folder(depth + 1, part));
                budget -= part;
            } else {
                document.appendItem(children, url());
                --budget;
            }
        }
        JsonValue node = JsonValue::object();
        document.setMember(node, "children", std::move(children));
        common(node);
        set(node, "date_modified", std::to_string(time));
        set(node, "name", "フォルダ " + std::to_string(nextId));
        set(node, "type", "folder");
        return node;
    }
};

std::string generateDocument() {
    Generator generator;
    JsonDocument& document = generator.document;
    JsonValue roots = JsonValue::object();
    document.setMember(roots, "bookmark_bar", generator.folder(0, urlCount * 7 / 10));
    document.setMember(roots, "other", generator.folder(0, urlCount - generator.urls));
    document.setMember(roots, "synced", generator.folder(0, 0));
    JsonValue root = JsonValue::object();
    generator.set(root, "checksum", "ef4b2827a35f2ef2bcf155e773181fb9");
    document.setMember(root, "roots", std::move(roots));
    document.setMember(root, "version", document.makeNumber("1"));
    std::string text;
    writeJson(root, 0, text);
    return text;
}

// Straight into a string of the file's size: a stream buffer and its copy would count
// twice the file in every library's peak.
std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string content(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    return content;
}

using Clock = std::chrono::steady_clock;
double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

struct Timing {
    double parse = 1e9;
    double write = 1e9;
    double total = 1e9;
    size_t outputSize = 0;
    bool identical = false;
};

template <typename Parse, typename Write>
Timing measure(const std::string& text, Parse parse, Write write) {
    Timing best;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        auto tree = parse(text);
        const auto parsed = Clock::now();
        const std::string out = write(*tree);
        const auto done = Clock::now();
        best.parse = std::min(best.parse, seconds(parsed - start));
        best.write = std::min(best.write, seconds(done - parsed));
        best.total = std::min(best.total, seconds(done - start));
        best.outputSize = out.size();
        best.identical = out == text;
    }
    return best;
}

Timing runPinvane(const std::string& text) {
    return measure(
        text,
        [](const std::string& source) {
            auto document = std::make_unique<JsonDocument>();
            std::string error;
            if (!JsonParser(source).parse(*document, error))
                std::fprintf(stderr, "pinvane: %s\n", error.c_str());
            return document;
        },
        [&](const JsonDocument& document) {
            std::string out;
            out.reserve(text.size());
            writeJson(document.root, 0, out);
            return out;
        });
}

Timing runRapidJson(const std::string& text) {
    return measure(
        text,
        [](const std::string& source) {
            auto document = std::make_unique<rapidjson::Document>();
            document->Parse<rapidjson::kParseNumbersAsStringsFlag>(source.data(), source.size());
            if (document->HasParseError())
                std::fprintf(stderr, "rapidjson: error %d\n", document->GetParseError());
            return document;
        },
        [](const rapidjson::Document& document) {
            rapidjson::StringBuffer buffer;
            rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
            writer.SetIndent(' ', 3);
            document.Accept(writer);
            return std::string(buffer.GetString(), buffer.GetSize());
        });
}

Timing runNlohmann(const std::string& text) {
    return measure(
        text,
        [](const std::string& source) {
            return std::make_unique<nlohmann::ordered_json>(nlohmann::ordered_json::parse(source));
        },
        [](const nlohmann::ordered_json& document) { return document.dump(3); });
}

int runOne(const char* library, const char* path) {
    const std::string text = readFile(path);
    Timing timing;
    if (std::strcmp(library, "pinvane") == 0)
        timing = runPinvane(text);
    else if (std::strcmp(library, "rapidjson") == 0)
        timing = runRapidJson(text);
    else
        timing = runNlohmann(text);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %.6f %.6f %zu %d %ld\n", timing.parse, timing.write, timing.total,
                timing.outputSize, timing.identical ? 1 : 0, usage.ru_maxrss);
    return 0;
}

struct Result {
    double parse, write, total;
    size_t outputSize;
    int identical;
    long peakKb;
};

Result runChild(const char* self, const char* library, const char* path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        execl(self, self, "--run", library, path, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char line[256] = {};
    const ssize_t length = read(pipeEnds[0], line, sizeof line - 1);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    Result result{};
    if (length <= 0 ||
        std::sscanf(line, "%lf %lf %lf %zu %d %ld", &result.parse, &result.write, &result.total,
                    &result.outputSize, &result.identical, &result.peakKb) != 6) {
        std::fprintf(stderr, "%s run failed\n", library);
        std::exit(1);
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--run") == 0)
        return runOne(argv[2], argv[3]);

    const bool generate = argc <= 1 || std::strncmp(argv[1], "--urls=", 7) == 0;
    if (argc > 1 && generate)
        urlCount = std::atoi(argv[1] + 7);
    std::string path = generate ? "/tmp/pinvane-bench-Bookmarks.json" : argv[1];
    if (generate) {
        const std::string text = generateDocument();
        std::ofstream(path, std::ios::binary) << text;
    }
    const double sizeMb = static_cast<double>(readFile(path.c_str()).size()) / 1e6;
    std::printf("document: %s, %.1f MB, %d URL nodes; best of %d rounds\n", path.c_str(), sizeMb,
                urlCount, rounds);

    const char* libraries[] = {"pinvane", "rapidjson", "nlohmann"};
    Result results[3];
    std::printf("%-10s %10s %10s %12s %10s %8s %s\n", "library", "parse", "write", "round trip",
                "peak MB", "peak/x", "output");
    for (int i = 0; i < 3; ++i) {
        results[i] = runChild(argv[0], libraries[i], path.c_str());
        const Result& r = results[i];
        std::printf("%-10s %7.0f MB/s %5.0f MB/s %7.0f MB/s %10.1f %7.1fx %s\n", libraries[i],
                    sizeMb / r.parse, sizeMb / r.write, sizeMb / r.total, r.peakKb / 1024.0,
                    r.peakKb / 1024.0 / (sizeMb / 1.048576),
                    r.identical ? "identical"
                                : ("differs, " + std::to_string(r.outputSize) + " bytes").c_str());
    }
    // Speeds relative to ours: above 1 means we are faster.
    std::printf("round trip: %.2fx RapidJSON, %.2fx nlohmann ordered_json\n",
                results[1].total / results[0].total, results[2].total / results[0].total);
    std::printf("json: round trip %.2fx RapidJSON, peak %.1fx file\n",
                results[1].total / results[0].total,
                results[0].peakKb / 1024.0 / (sizeMb / 1.048576));
    return 0;
}

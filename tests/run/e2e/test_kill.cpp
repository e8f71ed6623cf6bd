#include "BulkBookmarks.h"
#include "Harness.h"
#include "pinvane/json/JsonParser.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace testutil;

namespace {

// The size of one sweep: the profiles a run edits and how many moments it is killed at.
struct KillWork {
    std::vector<std::pair<std::wstring, std::wstring>> chromiumProfiles; // browser, profile
    int bulkNodes = 0; // extra bookmarks in each Bookmarks file, to make it large
    int firefoxProfiles = 0;
    int bookmarks = 0;
    int moments = 0;
};

std::string runTitle(int i) {
    return "Kill test " + std::to_string(i);
}

std::string settingsFor(int bookmarks) {
    std::string ini = "[Settings]\r\nInsertPosition=bottom\r\n";
    for (int i = 0; i < bookmarks; ++i)
        ini += "[B" + std::to_string(i) + "]\r\nTitle=" + runTitle(i) +
               "\r\nUrl=https://kill.example.com/" + std::to_string(i) + "\r\n";
    return ini;
}

void collectNames(const JsonValue& node, std::vector<std::string>& names) {
    if (node.kind() == JsonKind::Object) {
        const JsonValue* name = node.findMember("name");
        const JsonValue* type = node.findMember("type");
        if (name && type && name->kind() == JsonKind::String)
            names.emplace_back(name->text());
        for (const JsonValue& value : node.memberValues())
            collectNames(value, names);
    } else if (node.kind() == JsonKind::Array) {
        for (const JsonValue& item : node.items())
            collectNames(item, names);
    }
}

// Bookmark and folder names of a Bookmarks text, sorted; false when it does not parse.
bool sortedNames(const std::string& text, std::vector<std::string>& names, std::string& error) {
    JsonDocument document;
    if (!JsonParser(text).parse(document, error))
        return false;
    names.clear();
    collectNames(document.root, names);
    std::sort(names.begin(), names.end());
    return true;
}

std::string firstRow(const std::wstring& database, const std::string& sql) {
    const auto rows = queryRows(database, sql, 1);
    return rows.empty() ? std::string("(no row)") : rows[0][0];
}

// One Pinvane folder whose run is killed again and again; every check returns
// what it found wrong, empty when nothing.
class KillSweep {
public:
    KillSweep(const std::wstring& name, const KillWork& work)
        : work(work), folder(name), original(chromiumBookmarksWith(work.bulkNodes)) {
        folder.writeIni(settingsFor(work.bookmarks));
        for (int i = 0; i < work.bookmarks; ++i)
            runNames.push_back(runTitle(i));
        std::string error;
        if (!sortedNames(original, originalNames, error))
            throw std::runtime_error("fixture does not parse: " + error);
        for (const std::string& title : runNames)
            completeNames.push_back(title);
        completeNames.insert(completeNames.end(), originalNames.begin(), originalNames.end());
        std::sort(completeNames.begin(), completeNames.end());
        arguments = folder.browserOptions();
        arguments.push_back(L"--no-process-check");
        arguments.push_back(L"--no-dialog");
    }

    // Fresh profiles, no leftovers of an earlier run.
    void reset() {
        removeTree(folder.path(L"Backup"));
        removeTree(folder.path(L"check"));
        bookmarksFiles.clear();
        for (const auto& [browser, profile] : work.chromiumProfiles) {
            const std::wstring file = folder.addChromiumProfile(browser, profile, original);
            DeleteFileW((file + L".pinvane.tmp").c_str());
            bookmarksFiles.push_back(file);
        }
        if (databases.empty())
            makeDatabases();
        for (size_t i = 0; i < databases.size(); ++i) {
            for (const wchar_t* suffix : {L"-wal", L"-shm", L"-journal"})
                DeleteFileW((databases[i] + suffix).c_str());
            if (!CopyFileW(templates[i].c_str(), databases[i].c_str(), FALSE))
                throw std::runtime_error("cannot reset " + narrow(databases[i]));
        }
    }

    // Milliseconds of an uninterrupted run; throws when it does not end with 0.
    double timedRun() {
        reset();
        const LARGE_INTEGER start = now();
        const DWORD code = runToEnd();
        const double elapsed = millisecondsSince(start);
        if (code != 0)
            throw std::runtime_error("an uninterrupted run ended with " + std::to_string(code));
        return elapsed;
    }

    // Starts a run on fresh profiles and terminates it `moment` ms after its start.
    // True when the kill landed before the run ended by itself.
    bool killAt(double moment) {
        reset();
        HANDLE process = start();
        const LARGE_INTEGER start = now();
        bool finished = false;
        for (;;) {
            const double remaining = moment - millisecondsSince(start);
            if (remaining <= 0)
                break;
            // Wait coarsely, then spin for the last milliseconds to hit the moment.
            const DWORD wait = remaining > 3 ? static_cast<DWORD>(remaining) - 2 : 0;
            if (WaitForSingleObject(process, wait) == WAIT_OBJECT_0) {
                finished = true;
                break;
            }
            if (wait == 0)
                SwitchToThread();
        }
        if (!finished)
            TerminateProcess(process, killedCode);
        WaitForSingleObject(process, 30000);
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        return code == killedCode;
    }

    // What the killed run left: each file original or complete, nothing in between.
    std::string checkKilled() {
        for (const std::wstring& file : bookmarksFiles) {
            const std::string text = readBytes(file);
            if (text == original)
                continue;
            if (const std::string problem = checkComplete(text); !problem.empty())
                return narrow(file) + ": " + problem;
        }
        // Check copies: opening the databases would consume the journals that the
        // next run has to cope with.
        for (size_t i = 0; i < databases.size(); ++i) {
            const std::wstring copyFolder = folder.path(L"check\\" + std::to_wstring(i));
            CreateDirectoryW(folder.path(L"check").c_str(), nullptr);
            CreateDirectoryW(copyFolder.c_str(), nullptr);
            const std::wstring copy = joinPath(copyFolder, L"places.sqlite");
            for (const wchar_t* suffix : {L"", L"-wal", L"-shm", L"-journal"})
                if (fileExists(databases[i] + suffix))
                    CopyFileW((databases[i] + suffix).c_str(), (copy + suffix).c_str(), FALSE);
            const int added = std::stoi(firstRow(
                copy, "SELECT COUNT(*) FROM moz_bookmarks WHERE title LIKE 'Kill test %'"));
            if (added != 0 && added != work.bookmarks)
                return narrow(databases[i]) + ": " + std::to_string(added) + " of " +
                       std::to_string(work.bookmarks) + " bookmarks";
            if (const std::string problem = checkDatabase(copy); !problem.empty())
                return narrow(databases[i]) + ": " + problem;
        }
        return {};
    }

    // A later, uninterrupted run over the killed run's leftovers completes everything.
    std::string checkFollowUp() {
        if (const DWORD code = runToEnd(); code != 0)
            return "the next run ended with " + std::to_string(code);
        for (const std::wstring& file : bookmarksFiles) {
            if (fileExists(file + L".pinvane.tmp"))
                return narrow(file) + ": a .pinvane.tmp is left after the next run";
            if (const std::string problem = checkComplete(readBytes(file)); !problem.empty())
                return narrow(file) + " after the next run: " + problem;
        }
        for (const std::wstring& database : databases) {
            const std::string distinct =
                firstRow(database, "SELECT COUNT(*) || ' ' || COUNT(DISTINCT title) FROM "
                                   "moz_bookmarks WHERE title LIKE 'Kill test %'");
            const std::string expected =
                std::to_string(work.bookmarks) + " " + std::to_string(work.bookmarks);
            if (distinct != expected)
                return narrow(database) + " after the next run: bookmarks and titles " + distinct +
                       ", expected " + expected;
            if (const std::string problem = checkDatabase(database); !problem.empty())
                return narrow(database) + " after the next run: " + problem;
        }
        return {};
    }

    const KillWork work;

private:
    static constexpr UINT killedCode = 77;

    // Wine now and then refuses a process start on a machine under heavy load; a
    // start that failed has changed nothing, so it is simply tried again.
    HANDLE start() {
        for (int attempt = 1;; ++attempt) {
            try {
                return startPinvane(folder, arguments);
            } catch (const std::runtime_error&) {
                const DWORD error = GetLastError();
                if (attempt == 5)
                    throw std::runtime_error("cannot start Pinvane.exe (error " +
                                             std::to_string(error) + ")");
                std::fprintf(stderr, "start failed (error %lu), trying again\n", error);
                Sleep(1000);
            }
        }
    }

    // With --no-dialog a run shows no box, so there is nothing to answer.
    DWORD runToEnd() {
        HANDLE process = start();
        if (WaitForSingleObject(process, 120000) == WAIT_TIMEOUT)
            TerminateProcess(process, 99);
        WaitForSingleObject(process, 30000);
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        return code;
    }

    static LARGE_INTEGER now() {
        LARGE_INTEGER value;
        QueryPerformanceCounter(&value);
        return value;
    }

    static double millisecondsSince(LARGE_INTEGER start) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now().QuadPart - start.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    }

    // Made once and copied for each run: creating a database costs far more.
    void makeDatabases() {
        CreateDirectoryW(folder.path(L"templates").c_str(), nullptr);
        for (int i = 0; i < work.firefoxProfiles; ++i) {
            databases.push_back(folder.addFirefoxProfile(L"profile" + std::to_wstring(i)));
            // Firefox keeps its databases in WAL mode; one in rollback mode leaves a
            // hot journal behind when killed.
            if (i == 1)
                queryRows(databases.back(), "PRAGMA journal_mode=DELETE", 1);
            templates.push_back(
                folder.path(L"templates\\places" + std::to_wstring(i) + L".sqlite"));
            if (!CopyFileW(databases.back().c_str(), templates.back().c_str(), FALSE))
                throw std::runtime_error("cannot copy " + narrow(databases.back()));
        }
        if (!databases.empty())
            seedRows = seedBookmarks(databases[0]);
    }

    // The bookmarks that were there before, without what a run may touch.
    static std::vector<std::vector<std::string>> seedBookmarks(const std::wstring& database) {
        return queryRows(database,
                         "SELECT id, type, fk, parent, title, guid FROM moz_bookmarks WHERE title "
                         "NOT LIKE 'Kill test %' ORDER BY id",
                         6);
    }

    // A new version: parses, and holds exactly the old names plus the run's titles.
    std::string checkComplete(const std::string& text) const {
        std::vector<std::string> names;
        std::string error;
        if (!sortedNames(text, names, error))
            return "does not parse: " + error;
        if (names != completeNames)
            return "holds " + std::to_string(names.size()) + " names, expected the " +
                   std::to_string(completeNames.size()) + " of a complete run";
        return {};
    }

    std::string checkDatabase(const std::wstring& database) const {
        const std::string check = firstRow(database, "PRAGMA integrity_check");
        if (check != "ok")
            return "integrity_check: " + check;
        const std::string mismatched =
            firstRow(database, "SELECT COUNT(*) FROM moz_places p WHERE foreign_count <> "
                               "(SELECT COUNT(*) FROM moz_bookmarks b WHERE b.fk = p.id)");
        if (mismatched != "0")
            return mismatched + " places with a wrong foreign_count";
        if (seedBookmarks(database) != seedRows)
            return "the bookmarks that were there before have changed";
        return {};
    }

    PinvaneFolder folder;
    const std::string original;
    std::vector<std::string> runNames;
    std::vector<std::string> originalNames;
    std::vector<std::string> completeNames;
    std::vector<std::vector<std::string>> seedRows;
    std::vector<std::wstring> arguments;
    std::vector<std::wstring> bookmarksFiles;
    std::vector<std::wstring> databases;
    std::vector<std::wstring> templates;
};

struct SweepResult {
    double span = 0;
    int moments = 0;
    int kills = 0; // moments that came before the run ended by itself
    int damaged = 0;
    std::string firstProblem;
};

// Kills the run at `work.moments` evenly spread moments of the shortest of three
// uninterrupted runs, checking the files after each kill and after a next run.
SweepResult sweep(KillSweep& killSweep) {
    SweepResult result;
    result.span = killSweep.timedRun();
    for (int i = 0; i < 2; ++i)
        result.span = std::min(result.span, killSweep.timedRun());
    const int moments = killSweep.work.moments;
    for (int i = 0; i < moments; ++i) {
        const double moment = result.span * i / moments;
        ++result.moments;
        if (killSweep.killAt(moment))
            ++result.kills;
        std::string problem = killSweep.checkKilled();
        if (problem.empty())
            problem = killSweep.checkFollowUp();
        if (!problem.empty()) {
            ++result.damaged;
            char at[64];
            std::snprintf(at, sizeof at, "kill at %.2f ms: ", moment);
            std::fprintf(stderr, "%s%s\n", at, problem.c_str());
            if (result.firstProblem.empty())
                result.firstProblem = at + problem;
        }
        if ((i + 1) % 10 == 0)
            std::fprintf(stderr, "%d moments, %d kills, %d damaged\n", i + 1, result.kills,
                         result.damaged);
    }
    return result;
}

SweepResult sweepAndReport(const std::wstring& name, const KillWork& work) {
    KillSweep killSweep(name, work);
    const SweepResult result = sweep(killSweep);
    std::printf("uninterrupted run %.1f ms; %d moments, %d before the run's end\n", result.span,
                result.moments, result.kills);
    return result;
}

} // namespace

// Kills Pinvane at moments spread over a whole run of several profiles: no moment
// may leave a damaged or half-edited bookmark store, and the next run must finish
// the job over whatever the killed one left.
TEST(PinvaneKill, NoMomentLosesOrDamagesData) {
    KillWork work;
    work.chromiumProfiles = {
        {L"Edge", L"Default"}, {L"Edge", L"Profile 1"}, {L"Chrome", L"Default"}};
    work.firefoxProfiles = 3;
    work.bookmarks = 25;
    work.moments = 40;
    const SweepResult result = sweepAndReport(L"e2e-kill", work);
    EXPECT_EQ(result.damaged, 0) << result.firstProblem;
}

// The same over a larger run; scripts/stress-kill.sh runs it.
TEST(PinvaneKill, DISABLED_Stress) {
    KillWork work;
    for (const wchar_t* browser : {L"Edge", L"Chrome"})
        for (const wchar_t* profile : {L"Default", L"Profile 1", L"Profile 2", L"Profile 3"})
            work.chromiumProfiles.emplace_back(browser, profile);
    work.bulkNodes = 8000;
    work.firefoxProfiles = 3;
    work.bookmarks = 120;
    work.moments = 250;
    const SweepResult result = sweepAndReport(L"e2e-kill-stress", work);
    std::printf("kill stress: %d kills, %d damaged\n", result.kills, result.damaged);
    EXPECT_EQ(result.damaged, 0) << result.firstProblem;
}

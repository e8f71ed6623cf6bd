// Runs that overlap, as from one share for many users: each keeps its own backup
// and its own log, and --data-dir keeps both away from the executable's folder.
#include "Fixtures.h"
#include "Harness.h"
#include "common/UniqueHandle.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/Text.h"
#include "tests/common/Processes.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>

using namespace testutil;

namespace {

const char* const ini = "[Portal]\r\nTitle=Portal\r\nUrl=https://portal.example.com/\r\n";
const char* const brokenJson = "{\"roots\": {";

// Every backup run folder name from `fromSeconds` to `toSeconds` around now.
std::vector<std::wstring> runFolderNames(int fromSeconds, int toSeconds) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME file{};
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    std::vector<std::wstring> names;
    for (int offset = fromSeconds; offset <= toSeconds; ++offset) {
        ULARGE_INTEGER at = ticks;
        at.QuadPart += static_cast<long long>(offset) * 10000000;
        const FILETIME shifted{at.LowPart, at.HighPart};
        SYSTEMTIME t{};
        FileTimeToSystemTime(&shifted, &t);
        wchar_t name[32] = {};
        std::swprintf(name, 32, L"%04d%02d%02d_%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
        names.emplace_back(name);
    }
    return names;
}

std::vector<std::wstring> withNoDialog(std::vector<std::wstring> arguments) {
    arguments.push_back(L"--no-process-check");
    arguments.push_back(L"--no-dialog");
    return arguments;
}

// The folder that the run's log names for a profile's backup.
std::wstring backupFolderLogged(const std::vector<std::string>& lines, const std::string& label) {
    const std::string prefix = label + ": バックアップを作成しました: ";
    for (const std::string& line : lines)
        if (line.starts_with(prefix))
            return utf8ToWide(line.substr(prefix.size()));
    return {};
}

} // namespace

TEST(SharedFolder, RollbackRestoresOnlyTheRunsOwnCopy) {
    PinvaneFolder folder(L"e2e-share-overlap");
    folder.writeIni(ini);
    const std::wstring good =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    const std::wstring damaged = folder.addChromiumProfile(L"Chrome", L"Profile 1", brokenJson);

    // Another user's run for every second the run can start in: the harness gives
    // a run two minutes, so ten minutes ahead cover it however slow the machine.
    const std::vector<std::wstring> names = runFolderNames(-2, 600);
    for (const std::wstring& name : names) {
        const std::wstring copy = folder.path(L"Backup\\" + name + L"\\Chrome(Default)");
        ASSERT_TRUE(createDirectoryTree(copy));
        writeBytes(copy + L"\\Bookmarks", "another user's bookmarks " + wideToUtf8(name));
    }

    const RunResult result = runPinvane(folder, withNoDialog(folder.browserOptions()));
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(readBytes(good), fixtures::chromiumBookmarks);
    EXPECT_EQ(readBytes(damaged), brokenJson);

    const auto lines = folder.logLines();
    const std::wstring own = backupFolderLogged(lines, "Chrome(Default)");
    const std::wstring runFolder = own.substr(0, own.rfind(L'\\'));
    const std::wstring runName = runFolder.substr(runFolder.rfind(L'\\') + 1);
    ASSERT_EQ(runName.size(), 17u) << narrow(own);
    EXPECT_EQ(runName.substr(15), L"_2");
    EXPECT_NE(std::find(names.begin(), names.end(), runName.substr(0, 15)), names.end());
    EXPECT_EQ(readBytes(own + L"\\Bookmarks"), fixtures::chromiumBookmarks);
    for (const std::wstring& name : names)
        ASSERT_EQ(readBytes(folder.path(L"Backup\\" + name + L"\\Chrome(Default)\\Bookmarks")),
                  "another user's bookmarks " + wideToUtf8(name))
            << narrow(name);
    EXPECT_EQ(lines.back(), "完了（失敗あり）");
}

TEST(SharedFolder, LogHeldByAnotherRunIsLeftAloneAndTheRunLogsBesideIt) {
    PinvaneFolder folder(L"e2e-share-log");
    folder.writeIni(ini);
    const std::wstring bookmarks =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    const std::string othersLog = "\xEF\xBB\xBF設定ファイル: another run\r\n";
    writeBytes(folder.path(L"Pinvane.log"), othersLog);

    const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
    KernelHandle ready(
        CreateEventW(nullptr, TRUE, FALSE, (L"pinvane-e2e-ready-" + suffix).c_str()));
    KernelHandle release(
        CreateEventW(nullptr, TRUE, FALSE, (L"pinvane-e2e-release-" + suffix).c_str()));
    const ChildProcess holder =
        ChildProcess::start(joinPath(exeFolder(), L"helpers\\hold_file.exe"),
                            {folder.path(L"Pinvane.log"), L"pinvane-e2e-ready-" + suffix,
                             L"pinvane-e2e-release-" + suffix});
    ASSERT_TRUE(holder.started());
    const HANDLE waits[] = {ready.get(), holder.handle()};
    ASSERT_EQ(WaitForMultipleObjects(2, waits, FALSE, 60000), WAIT_OBJECT_0);

    const RunResult result = runPinvane(folder, withNoDialog(folder.browserOptions()));
    SetEvent(release.get());
    holder.waitForExit(60000);

    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(readBytes(folder.path(L"Pinvane.log")), othersLog);
    const std::string log = readBytes(folder.path(L"Pinvane_2.log"));
    EXPECT_TRUE(log.starts_with("\xEF\xBB\xBF"));
    const auto lines = logLines(folder.path(L"Pinvane_2.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(),
              "設定ファイル: " + wideToUtf8(folder.path(L"Pinvane.ini")) + "（1 件）");
    EXPECT_EQ(lines.back(), "完了");
    EXPECT_NE(readBytes(bookmarks).find("https://portal.example.com/"), std::string::npos);
}

TEST(SharedFolder, DataDirTakesTheLogAndTheBackupsAwayFromTheExecutable) {
    PinvaneFolder folder(L"e2e-share-datadir");
    folder.writeIni(ini);
    const std::wstring bookmarks =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    // Inherited by the run, as LOCALAPPDATA would be.
    SetEnvironmentVariableW(L"PINVANE_E2E_DATA", folder.path(L"profile\\AppData").c_str());

    std::vector<std::wstring> arguments = withNoDialog(folder.browserOptions());
    arguments.push_back(L"--data-dir=%PINVANE_E2E_DATA%\\Pinvane");
    const RunResult result = runPinvane(folder, arguments);
    SetEnvironmentVariableW(L"PINVANE_E2E_DATA", nullptr);

    EXPECT_EQ(result.exitCode, 0u);
    const std::wstring data = folder.path(L"profile\\AppData\\Pinvane");
    const auto lines = logLines(joinPath(data, L"Pinvane.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "完了");
    const std::wstring own = backupFolderLogged(lines, "Chrome(Default)");
    EXPECT_TRUE(own.starts_with(data + L"\\Backup\\")) << narrow(own);
    EXPECT_EQ(readBytes(own + L"\\Bookmarks"), fixtures::chromiumBookmarks);
    EXPECT_NE(readBytes(bookmarks).find("https://portal.example.com/"), std::string::npos);
    EXPECT_FALSE(fileExists(folder.path(L"Pinvane.log")));
    EXPECT_FALSE(directoryExists(folder.path(L"Backup")));
}

TEST(SharedFolder, DataDirThatCannotBeCreatedEndsWithTwoBeforeAnyBrowserIsAsked) {
    PinvaneFolder folder(L"e2e-share-nodata");
    folder.writeIni(ini);
    folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    writeBytes(folder.path(L"a-file"), "not a folder");
    // A running Chrome would be asked about in a box if the run went that far.
    ChildProcess chrome =
        ChildProcess::start(joinPath(exeFolder(), L"standin\\chrome.exe"), {L"close"});
    ASSERT_TRUE(chrome.started());
    WaitForInputIdle(chrome.handle(), 5000);

    for (const std::wstring& dataDir :
         {folder.path(L"a-file\\Pinvane"), std::wstring(L"%PINVANE_E2E_UNSET%\\Pinvane")}) {
        SCOPED_TRACE(narrow(dataDir));
        const auto before = filesBelow(folder.root);
        std::vector<std::wstring> arguments = folder.browserOptions();
        arguments.push_back(L"--data-dir=" + dataDir);
        const RunResult result = runPinvane(folder, arguments);
        EXPECT_EQ(result.exitCode, 2u);
        EXPECT_TRUE(result.boxTexts.empty());
        EXPECT_TRUE(chrome.running());
        EXPECT_EQ(filesBelow(folder.root), before);
        EXPECT_FALSE(directoryExists(folder.path(L"%PINVANE_E2E_UNSET%")));
    }
}

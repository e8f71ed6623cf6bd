// Runs of Pinvane.exe on a really full disk: a small tmpfs that diskfull.sh (the
// CTest command of test_pinvane_diskfull) mounts and hands over in the environment.
#include "BulkBookmarks.h"
#include "Fixtures.h"
#include "Harness.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testutil;

namespace {

const std::wstring edgeNotChanged = L"Edge: バックアップを作成できなかったため、何も変更しません";

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? value : L"";
}

std::string settingsFor(int bookmarks, size_t titleLength) {
    std::string ini = "[Settings]\r\nInsertPosition=bottom\r\n";
    for (int i = 0; i < bookmarks; ++i) {
        std::string title = "Disk test " + std::to_string(i);
        if (title.size() + 1 < titleLength) {
            title += ' ';
            title.append(titleLength - title.size(), 'x');
        }
        ini += "[B" + std::to_string(i) + "]\r\nTitle=" + title +
               "\r\nUrl=https://disk.example.com/" + std::to_string(i) + "\r\n";
    }
    return ini;
}

void makeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot create " + narrow(path));
}

void copyFile(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + narrow(from));
}

// Fills the disk that holds `folder` until only `leave` bytes are free.
void fillDisk(const std::wstring& folder, LONGLONG leave) {
    HANDLE file = CreateFileW(joinPath(folder, L"filler").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create the filler");
    const std::string chunk(65536, 'f');
    LONGLONG size = 0;
    DWORD written = 0;
    while (WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr) &&
           written > 0)
        size += written;
    LARGE_INTEGER end;
    end.QuadPart = std::max<LONGLONG>(0, size - leave);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

bool hasLine(const std::vector<std::string>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), wideToUtf8(line)) != lines.end();
}

bool hasLineWith(const std::vector<std::string>& lines, const std::wstring& part) {
    const std::string text = wideToUtf8(part);
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// A PinvaneFolder whose Pinvane.exe, settings, log and Backup live in `where`
// (an existing folder); its browser data stays in the temp folder.
PinvaneFolder runnerIn(const std::wstring& name, const std::wstring& where) {
    PinvaneFolder folder(name);
    for (const wchar_t* file : {L"Pinvane.exe", L"winsqlite3.dll"})
        copyFile(folder.path(file), joinPath(where, file));
    folder.root = where;
    return folder;
}

class PinvaneDiskFull : public ::testing::Test {
protected:
    void SetUp() override {
        disk = environment(L"PINVANE_SMALL_DISK");
        if (disk.empty())
            GTEST_SKIP() << "needs the small disk that tests/run/e2e/diskfull.sh mounts";
        area = joinPath(
            disk, utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        removeTree(area);
        makeFolder(area);
    }

    void TearDown() override {
        if (!area.empty())
            removeTree(area);
    }

    std::wstring disk;
    std::wstring area; // this test's folder on the small disk
};

} // namespace

// The backup cannot be written: no browser is touched, the log (on the same disk,
// with room left for it) says why, and the run ends with 1.
TEST_F(PinvaneDiskFull, BackupDiskFullChangesNothing) {
    PinvaneFolder profiles(L"diskfull-backup");
    const std::string big = chromiumBookmarksWith(4000);
    const std::vector<std::wstring> files = {
        profiles.addChromiumProfile(L"Edge", L"Default", big),
        profiles.addChromiumProfile(L"Chrome", L"Default", big),
        profiles.addFirefoxProfile(L"one")};
    std::vector<std::string> before;
    for (const std::wstring& file : files)
        before.push_back(readBytes(file));

    PinvaneFolder runner = runnerIn(L"diskfull-backup-runner", area);
    runner.writeIni(settingsFor(5, 0));
    fillDisk(area, 64 * 1024);
    std::vector<std::wstring> arguments = profiles.browserOptions();
    arguments.push_back(L"--no-process-check");
    arguments.push_back(L"--no-dialog");
    const RunResult result = runPinvane(runner, arguments);

    const std::vector<std::string> lines = runner.logLines();
    EXPECT_EQ(result.exitCode, 1u) << joined(lines);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_TRUE(readBytes(files[i]) == before[i]) << narrow(files[i]) << " has changed";
    EXPECT_TRUE(hasLine(lines, edgeNotChanged)) << joined(lines);
    EXPECT_TRUE(hasLine(lines, L"Chrome: バックアップを作成できなかったため、何も変更しません"));
    EXPECT_TRUE(hasLine(lines, L"Firefox: バックアップを作成できなかったため、何も変更しません"));
    EXPECT_TRUE(hasLineWith(lines, L"（エラー 112）")) << "no line names the full disk\n"
                                                       << joined(lines);
    EXPECT_TRUE(hasLine(lines, L"完了（失敗あり）"));
}

// The disk of two Edge profiles fills while the first Bookmarks is rewritten: both
// keep their bytes, no temporary file is left, Edge is reported, the rest is edited.
TEST_F(PinvaneDiskFull, ChromiumDiskFullDuringRewrite) {
    PinvaneFolder folder(L"diskfull-chromium");
    folder.writeIni(settingsFor(5, 0));
    const std::string big = chromiumBookmarksWith(4000);
    const std::wstring edge = joinPath(area, L"Edge");
    makeFolder(edge);
    std::vector<std::wstring> edgeFiles;
    for (const wchar_t* profile : {L"Default", L"Profile 1"}) {
        makeFolder(joinPath(edge, profile));
        edgeFiles.push_back(joinPath(joinPath(edge, profile), L"Bookmarks"));
        writeBytes(edgeFiles.back(), big);
    }
    const std::wstring chrome =
        folder.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks);
    fillDisk(area, 256 * 1024);

    const RunResult result =
        runPinvane(folder, {L"--edge-dir=" + edge, L"--chrome-dir=" + folder.path(L"Chrome"),
                            L"--firefox-dir=" + folder.path(L"Firefox"), L"--no-process-check"});

    const std::vector<std::string> lines = folder.logLines();
    EXPECT_EQ(result.exitCode, 1u) << joined(lines);
    for (const std::wstring& file : edgeFiles) {
        EXPECT_TRUE(readBytes(file) == big) << narrow(file) << " has changed";
        EXPECT_FALSE(fileExists(file + L".pinvane.tmp")) << narrow(file) << ".pinvane.tmp is left";
    }
    EXPECT_TRUE(hasLine(lines, L"Edge: エラーが発生したため、バックアップから元に戻します"))
        << joined(lines);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_NE(result.boxTexts[0].find(L"・Edge："), std::wstring::npos)
        << narrow(result.boxTexts[0]);
    EXPECT_EQ(result.boxTexts[0].find(L"Chrome"), std::wstring::npos) << narrow(result.boxTexts[0]);
    EXPECT_NE(readBytes(chrome).find("\"Disk test 4\""), std::string::npos)
        << "Chrome was not edited";
}

// The disk of a Firefox profile fills during its transaction: the database keeps
// its bytes and passes integrity_check, and Firefox is reported.
TEST_F(PinvaneDiskFull, FirefoxDiskFullDuringTransaction) {
    PinvaneFolder folder(L"diskfull-firefox");
    // Large enough that the transaction cannot fit in what is left of the disk.
    folder.writeIni(settingsFor(300, 600));
    const std::wstring made = folder.addFirefoxProfile(L"one");
    const std::wstring firefox = joinPath(area, L"Firefox");
    makeFolder(firefox);
    makeFolder(joinPath(firefox, L"Profiles"));
    makeFolder(joinPath(firefox, L"Profiles\\one"));
    copyFile(folder.path(L"Firefox\\profiles.ini"), joinPath(firefox, L"profiles.ini"));
    const std::wstring database = joinPath(firefox, L"Profiles\\one\\places.sqlite");
    copyFile(made, database);
    const std::string before = readBytes(database);
    const auto bookmarksBefore =
        queryRows(database, "SELECT id, parent, position, title, fk FROM moz_bookmarks", 5);
    fillDisk(area, 160 * 1024);

    const RunResult result = runPinvane(
        folder, {L"--edge-dir=" + folder.path(L"Edge"), L"--chrome-dir=" + folder.path(L"Chrome"),
                 L"--firefox-dir=" + firefox, L"--no-process-check"});

    const std::vector<std::string> lines = folder.logLines();
    EXPECT_EQ(result.exitCode, 1u) << joined(lines);
    EXPECT_TRUE(readBytes(database) == before) << "places.sqlite has changed";
    EXPECT_TRUE(hasLineWith(lines, L"Firefox(one): SQL エラー: ")) << joined(lines);
    ASSERT_EQ(result.boxTexts.size(), 1u);
    EXPECT_NE(result.boxTexts[0].find(L"・Firefox："), std::wstring::npos)
        << narrow(result.boxTexts[0]);

    DeleteFileW(joinPath(area, L"filler").c_str()); // room for this test's own connection
    const auto check = queryRows(database, "PRAGMA integrity_check", 1);
    ASSERT_EQ(check.size(), 1u);
    EXPECT_EQ(check[0][0], "ok");
    EXPECT_EQ(queryRows(database, "SELECT id, parent, position, title, fk FROM moz_bookmarks", 5),
              bookmarksBefore);
}

// Pinvane.log is a link into a full disk: the run still edits every browser and
// ends with 0; only the log lines are lost.
TEST_F(PinvaneDiskFull, LogDiskFullStillEdits) {
    const std::wstring linkFolder = environment(L"PINVANE_LOG_LINK_FOLDER");
    ASSERT_FALSE(linkFolder.empty()) << "diskfull.sh sets PINVANE_LOG_LINK_FOLDER";
    const std::wstring logDisk = joinPath(disk, L"log");
    PinvaneFolder profiles(L"diskfull-log");
    const std::vector<std::wstring> bookmarks = {
        profiles.addChromiumProfile(L"Edge", L"Default", fixtures::chromiumBookmarks),
        profiles.addChromiumProfile(L"Chrome", L"Default", fixtures::chromiumBookmarks)};
    const std::wstring database = profiles.addFirefoxProfile(L"one");
    PinvaneFolder runner = runnerIn(L"diskfull-log-runner", linkFolder);
    runner.writeIni(settingsFor(5, 0));
    fillDisk(logDisk, 0);

    std::vector<std::wstring> arguments = profiles.browserOptions();
    arguments.push_back(L"--no-process-check");
    arguments.push_back(L"--no-dialog");
    const RunResult result = runPinvane(runner, arguments);
    const std::string log = readBytes(runner.path(L"Pinvane.log"));
    DeleteFileW(joinPath(logDisk, L"filler").c_str());

    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_LE(log.size(), 3u) << "the log should have found no room: " << log;
    for (const std::wstring& file : bookmarks)
        EXPECT_NE(readBytes(file).find("\"Disk test 4\""), std::string::npos)
            << narrow(file) << " was not edited";
    EXPECT_EQ(queryRows(database,
                        "SELECT COUNT(*) FROM moz_bookmarks WHERE title LIKE 'Disk test %'",
                        1)[0][0],
              "5");
    EXPECT_TRUE(directoryExists(runner.path(L"Backup"))) << "no backup was made";
}

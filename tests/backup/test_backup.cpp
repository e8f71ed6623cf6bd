#include "pinvane/backup/Backup.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <vector>

using namespace testutil;

namespace {

const std::string chromeBookmarks =
    "{\r\n   \"checksum\": \"ef4b2827a35f2ef2bcf155e773181fb9\",\r\n"
    "   \"roots\": {\r\n   },\r\n   \"version\": 1\r\n}\r\n";
const std::string edgeBookmarks = "{\r\n   \"roots\": {\r\n   },\r\n   \"version\": 1\r\n}\r\n";
const std::string placesBytes = std::string("SQLite format 3\0\x10\0\x02\x02", 20) + "places";

class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = scratchFolderWithLog(L"backup-" + utf8ToWide(info->name())).folder;
        profiles = joinPath(root, L"profiles");
        CreateDirectoryW(profiles.c_str(), nullptr);
        runFolder = joinPath(joinPath(root, L"Backup"), L"20250102_030405");
        run = {runFolder};
    }

    // The log after its byte-order mark, one entry per line.
    std::vector<std::wstring> logLines() const {
        std::string bytes = readBytes(joinPath(root, L"Pinvane.log"));
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            bytes.erase(0, 3);
        const std::wstring text = utf8ToWide(bytes);
        std::vector<std::wstring> lines;
        size_t start = 0;
        for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(start, text.size()) << "last line without CR LF";
        return lines;
    }

    std::wstring profileFile(const std::wstring& profile, const std::wstring& name,
                             const std::string& bytes) const {
        const std::wstring folder = joinPath(profiles, profile);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring path = joinPath(folder, name);
        writeBytes(path, bytes);
        return path;
    }

    std::wstring root, profiles, runFolder;
    RunFolder run;
};

std::wstring runFolderName(const SYSTEMTIME& t) {
    wchar_t name[32] = {};
    std::swprintf(name, 32, L"%04d%02d%02d_%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return name;
}

// Keeps a file open without any sharing, so nobody else can open it.
struct ExclusiveOpen {
    explicit ExclusiveOpen(const std::wstring& path)
        : handle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ExclusiveOpen() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    HANDLE handle;
};

} // namespace

TEST_F(Backup, RunFolderIsNamedByLocalTimeAndNotCreated) {
    const std::wstring backupRoot = joinPath(root, L"Backup");
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const std::wstring path = makeBackupFolderPath(backupRoot);
    GetLocalTime(&after);

    const std::wstring name = path.substr(backupRoot.size() + 1);
    EXPECT_EQ(path.substr(0, backupRoot.size() + 1), backupRoot + L"\\");
    EXPECT_TRUE(name == runFolderName(before) || name == runFolderName(after)) << narrow(name);
    ASSERT_EQ(name.size(), 15u);
    for (size_t i = 0; i < name.size(); ++i)
        EXPECT_TRUE(i == 8 ? name[i] == L'_' : iswdigit(name[i])) << narrow(name);
    EXPECT_FALSE(directoryExists(backupRoot));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(Backup, LayoutForTwoBrowsersSharingOneRunFolder) {
    const std::wstring edge1 = profileFile(L"Edge-Default", L"Bookmarks", edgeBookmarks);
    const std::wstring edge2 = profileFile(L"Edge-Profile 1", L"Bookmarks", chromeBookmarks);
    const std::wstring places = profileFile(L"ff", L"places.sqlite", placesBytes);
    const std::wstring wal = profileFile(L"ff", L"places.sqlite-wal", "wal frames");

    BackupSet edge;
    ASSERT_TRUE(edge.begin(run));
    ASSERT_TRUE(edge.addFiles(L"Edge(Default)", {edge1}));
    ASSERT_TRUE(edge.addFiles(L"Edge(Profile 1)", {edge2}));
    BackupSet firefox;
    ASSERT_TRUE(firefox.begin(run));
    ASSERT_TRUE(
        firefox.addFiles(L"Firefox(abc.default)", {places, places + L"-wal", places + L"-shm"}));

    EXPECT_EQ(readBytes(runFolder + L"\\Edge(Default)\\Bookmarks"), edgeBookmarks);
    EXPECT_EQ(readBytes(runFolder + L"\\Edge(Profile 1)\\Bookmarks"), chromeBookmarks);
    const std::wstring ffFolder = runFolder + L"\\Firefox(abc.default)";
    EXPECT_EQ(readBytes(ffFolder + L"\\places.sqlite"), placesBytes);
    EXPECT_EQ(readBytes(ffFolder + L"\\places.sqlite-wal"), "wal frames");
    EXPECT_FALSE(fileExists(ffFolder + L"\\places.sqlite-shm"));

    EXPECT_EQ(edge.folder(), runFolder);
    EXPECT_EQ(firefox.folder(), runFolder);
    EXPECT_TRUE(run.created);
    ASSERT_EQ(edge.entries().size(), 2u);
    EXPECT_EQ(edge.entries()[1].sourcePath, edge2);
    EXPECT_EQ(edge.entries()[1].backupPath, runFolder + L"\\Edge(Profile 1)\\Bookmarks");
    ASSERT_EQ(firefox.entries().size(), 3u);
    EXPECT_TRUE(firefox.entries()[0].existed);
    EXPECT_TRUE(firefox.entries()[1].existed);
    EXPECT_FALSE(firefox.entries()[2].existed);
    EXPECT_EQ(firefox.entries()[2].backupPath, ffFolder + L"\\places.sqlite-shm");

    EXPECT_EQ(
        logLines(),
        (std::vector<std::wstring>{
            L"Edge(Default): バックアップを作成しました: " + runFolder + L"\\Edge(Default)",
            L"Edge(Profile 1): バックアップを作成しました: " + runFolder + L"\\Edge(Profile 1)",
            L"Firefox(abc.default): バックアップを作成しました: " + ffFolder,
        }));
}

TEST_F(Backup, RestorePutsBackEveryEntryAndDeletesNewCompanions) {
    // Two profiles: the first edit succeeded, the second failed and left a -wal.
    const std::wstring first = profileFile(L"ff1", L"places.sqlite", placesBytes + "1");
    const std::wstring second = profileFile(L"ff2", L"places.sqlite", placesBytes + "2");
    BackupSet set;
    ASSERT_TRUE(set.begin(run));
    ASSERT_TRUE(set.addFiles(L"Firefox(one)", {first, first + L"-wal", first + L"-shm"}));
    ASSERT_TRUE(set.addFiles(L"Firefox(two)", {second, second + L"-wal", second + L"-shm"}));

    writeBytes(first, placesBytes + "edited");
    writeBytes(second, placesBytes + "half edited");
    writeBytes(second + L"-wal", "left by the failed edit");
    CreateDirectoryW((first + L"-shm").c_str(), nullptr); // a folder is never deleted

    EXPECT_TRUE(set.restore());
    EXPECT_EQ(readBytes(first), placesBytes + "1");
    EXPECT_EQ(readBytes(second), placesBytes + "2");
    EXPECT_FALSE(fileExists(second + L"-wal"));
    EXPECT_FALSE(fileExists(second + L"-shm"));
    EXPECT_TRUE(directoryExists(first + L"-shm"));
    EXPECT_EQ(logLines().back(), L"バックアップから元に戻しました");
}

TEST_F(Backup, RestoreWithoutEntriesSucceeds) {
    BackupSet set;
    ASSERT_TRUE(set.begin(run));
    EXPECT_TRUE(set.restore());
    EXPECT_EQ(logLines(), std::vector<std::wstring>{L"バックアップから元に戻しました"});
}

TEST_F(Backup, RestoreFailureIsLoggedAndTheOtherFilesAreStillRestored) {
    // Held open without sharing: neither overwritable nor deletable. (A read-only
    // attribute does not stop a copy here, because Wine runs as root.)
    const std::wstring locked = profileFile(L"Default", L"Bookmarks", chromeBookmarks);
    const std::wstring other = profileFile(L"Profile 1", L"Bookmarks", edgeBookmarks);
    const std::wstring places = profileFile(L"ff", L"places.sqlite", placesBytes);
    BackupSet set;
    ASSERT_TRUE(set.begin(run));
    ASSERT_TRUE(set.addFiles(L"Chrome(Default)", {locked}));
    ASSERT_TRUE(set.addFiles(L"Chrome(Profile 1)", {other}));
    ASSERT_TRUE(set.addFiles(L"Firefox(x)", {places, places + L"-wal", places + L"-shm"}));

    writeBytes(locked, "edited");
    writeBytes(other, "edited");
    writeBytes(places, "edited");
    writeBytes(places + L"-wal", "new");
    writeBytes(places + L"-shm", "new");
    bool ok;
    {
        ExclusiveOpen holdBookmarks(locked);
        ExclusiveOpen holdWal(places + L"-wal");
        ASSERT_NE(holdBookmarks.handle, INVALID_HANDLE_VALUE);
        ASSERT_NE(holdWal.handle, INVALID_HANDLE_VALUE);
        ok = set.restore();
    }

    EXPECT_FALSE(ok);
    EXPECT_EQ(readBytes(locked), "edited");
    EXPECT_FALSE(fileExists(locked + L".pinvane.tmp"));
    EXPECT_EQ(readBytes(other), edgeBookmarks);
    EXPECT_FALSE(fileExists(other + L".pinvane.tmp"));
    EXPECT_EQ(readBytes(places), placesBytes);
    EXPECT_TRUE(fileExists(places + L"-wal"));
    EXPECT_FALSE(fileExists(places + L"-shm"));
    const std::vector<std::wstring> lines = logLines();
    ASSERT_EQ(lines.size(), 6u);
    // The copy goes back by replacing the file, which an open file refuses.
    EXPECT_EQ(lines[3], L"復元できません: " + locked + L"（エラー 5）");
    EXPECT_EQ(lines[4], L"削除できません: " + places + L"-wal（エラー 32）");
    EXPECT_EQ(lines[5],
              L"バックアップからの復元に失敗したファイルがあります。バックアップ: " + runFolder);
}

TEST_F(Backup, CopyFailureStopsTheTargetAndKeepsEarlierCopies) {
    const std::wstring places = profileFile(L"ff", L"places.sqlite", placesBytes);
    const std::wstring wal = profileFile(L"ff", L"places.sqlite-wal", "wal");
    BackupSet set;
    ASSERT_TRUE(set.begin(run));
    {
        ExclusiveOpen hold(wal);
        ASSERT_NE(hold.handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(set.addFiles(L"Firefox(x)", {places, wal, places + L"-shm"}));
    }
    EXPECT_EQ(readBytes(runFolder + L"\\Firefox(x)\\places.sqlite"), placesBytes);
    ASSERT_EQ(set.entries().size(), 1u);
    EXPECT_EQ(set.entries()[0].sourcePath, places);
    EXPECT_EQ(logLines(), std::vector<std::wstring>{L"Firefox(x): バックアップを作成できません: " +
                                                    wal + L"（エラー 32）"});
}

TEST_F(Backup, FolderFailures) {
    const std::wstring file = joinPath(root, L"not-a-folder");
    writeBytes(file, "x");
    BackupSet blocked;
    RunFolder underFile{file + L"\\20250102_030405"};
    EXPECT_FALSE(blocked.begin(underFile));
    EXPECT_FALSE(underFile.created);

    const std::wstring bookmarks = profileFile(L"Default", L"Bookmarks", chromeBookmarks);
    BackupSet set;
    ASSERT_TRUE(set.begin(run));
    EXPECT_FALSE(set.addFiles(L"Chrome(a*b)", {bookmarks}));
    EXPECT_FALSE(set.addFiles(L"Chrome(a|b)", {bookmarks}));
    EXPECT_TRUE(set.entries().empty());

    EXPECT_EQ(
        logLines(),
        (std::vector<std::wstring>{
            L"バックアップフォルダを作成できません: " + file + L"\\20250102_030405",
            L"Chrome(a*b): バックアップフォルダを作成できません: " + runFolder + L"\\Chrome(a*b)",
            L"Chrome(a|b): バックアップフォルダを作成できません: " + runFolder + L"\\Chrome(a|b)",
        }));
}

TEST_F(Backup, RunFolderOfAnotherRunIsNeverShared) {
    // Two other runs of the same second, one of them another user's.
    const std::wstring others[] = {runFolder, runFolder + L"_2"};
    for (const std::wstring& folder : others) {
        createDirectoryTree(folder + L"\\Chrome(Default)");
        writeBytes(folder + L"\\Chrome(Default)\\Bookmarks", "another user's bookmarks");
    }
    const std::wstring bookmarks = profileFile(L"Default", L"Bookmarks", chromeBookmarks);

    BackupSet chrome;
    ASSERT_TRUE(chrome.begin(run));
    EXPECT_EQ(run.path, runFolder + L"_3");
    EXPECT_EQ(chrome.folder(), runFolder + L"_3");
    ASSERT_TRUE(chrome.addFiles(L"Chrome(Default)", {bookmarks}));
    BackupSet firefox; // the run's next browser shares its folder
    ASSERT_TRUE(firefox.begin(run));
    EXPECT_EQ(firefox.folder(), runFolder + L"_3");

    writeBytes(bookmarks, "edited");
    EXPECT_TRUE(chrome.restore());
    EXPECT_EQ(readBytes(bookmarks), chromeBookmarks);
    for (const std::wstring& folder : others)
        EXPECT_EQ(readBytes(folder + L"\\Chrome(Default)\\Bookmarks"), "another user's bookmarks");
    EXPECT_EQ(readBytes(runFolder + L"_3\\Chrome(Default)\\Bookmarks"), chromeBookmarks);
    EXPECT_EQ(logLines().front(), L"Chrome(Default): バックアップを作成しました: " + runFolder +
                                      L"_3\\Chrome(Default)");
}

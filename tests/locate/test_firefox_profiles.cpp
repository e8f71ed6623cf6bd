#include "pinvane/locate/FirefoxProfiles.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using namespace testutil;

namespace {

using Folders = std::vector<std::wstring>;
using Lines = std::vector<std::wstring>;

class FirefoxProfilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto scratch = scratchFolderWithLog(L"firefox-profiles");
        root = scratch.folder;
        logPath = scratch.logPath;
        data = joinPath(root, L"Firefox");
        CreateDirectoryW(data.c_str(), nullptr);
    }

    void writeIni(const std::string& content) {
        writeBytes(joinPath(data, L"profiles.ini"), content);
    }

    // A folder (and its parents) with places.sqlite unless asked otherwise.
    static void makeProfile(const std::wstring& folder, bool withPlaces = true) {
        createDirectoryTree(folder);
        if (withPlaces)
            writeBytes(joinPath(folder, L"places.sqlite"), "SQLite format 3");
    }

    Lines log() const {
        const std::wstring text = utf8ToWide(readBytes(logPath).substr(3));
        Lines lines;
        size_t start = 0, end;
        while ((end = text.find(L"\r\n", start)) != std::wstring::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    std::wstring root, logPath, data;
};

} // namespace

TEST_F(FirefoxProfilesTest, ProfilesIniListing) {
    struct Case {
        const char* name;
        std::string ini;
        Folders expected; // relative entries are under the data folder
        Folders absolute;
    };
    const Case cases[] = {
        {"install and general sections",
         "[Install4F96D1932A9F858E]\nDefault=Profiles/ignored.default-release\nLocked=1\n\n"
         "[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/xyz.default\nDefault=1\n\n"
         "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/abc.default-release\n\n"
         "[General]\nStartWithLastProfile=1\nPath=Profiles/general\nVersion=2\n",
         {L"Profiles\\xyz.default", L"Profiles\\abc.default-release"},
         {}},
        {"absolute path, flag after path",
         "[Profile0]\nPath=D:/Elsewhere/p1\nIsRelative=0\n",
         {},
         {L"D:\\Elsewhere\\p1"}},
        {"key and section case",
         "[PROFILE3]\nPATH=p3\nIsRelative=true\n[profile4]\nisrelative=\npath = p4 \n"
         "[Profile5]\nISRELATIVE=1\nPath=p5",
         {L"p3", L"p4", L"p5"},
         {}},
        {"not profile sections",
         "Path=before\n[Profile]\nPath=a\n[Profile 1]\nPath=b\n[Profile1a]\nPath=c\n[ Profile2]\n"
         "Path=d\n[General]\nPath=e\n",
         {},
         {}},
        {"no path, second path wins",
         "[Profile0]\nName=nopath\n[Profile1]\nPath=first\nPath=second\n",
         {L"second"},
         {}},
        {"duplicates differing in case",
         "[Profile0]\nPath=Profiles/Abc\n[Profile1]\nPath=profiles\\ABC\n",
         {L"Profiles\\Abc"},
         {}},
        {"bom and crlf",
         "\xEF\xBB\xBF[Profile0]\r\nPath=Profiles/x\r\nIsRelative=1\r\n",
         {L"Profiles\\x"},
         {}},
        {"relative flag resets per section",
         "[Profile0]\nIsRelative=0\n[Profile1]\nPath=rel\n",
         {L"rel"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeIni(c.ini);
        Folders expected;
        for (const std::wstring& relative : c.expected)
            expected.push_back(data + L"\\" + relative);
        expected.insert(expected.end(), c.absolute.begin(), c.absolute.end());
        EXPECT_EQ(listFirefoxProfileFolders(data), expected);
    }
}

TEST_F(FirefoxProfilesTest, ProfilesFolderOnlyWhenIniIsUnreadable) {
    makeProfile(joinPath(data, L"Profiles\\b.second"));
    makeProfile(joinPath(data, L"Profiles\\a.first"));
    Folders expected;
    for (const std::wstring& name : listSubdirectories(joinPath(data, L"Profiles")))
        expected.push_back(joinPath(data, L"Profiles\\" + name));
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(listFirefoxProfileFolders(data), expected);

    // A readable but empty profiles.ini lists nothing and is not second-guessed.
    writeIni("");
    EXPECT_EQ(listFirefoxProfileFolders(data), Folders{});
    ProfileTargetList targets;
    enumerateFirefoxProfiles(data, targets);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(log(), Lines{L"Firefox: 追加先のプロファイルが見つからないためスキップ"});
}

TEST_F(FirefoxProfilesTest, TargetsAndUniqueLabels) {
    const std::wstring elsewhere = joinPath(root, L"Other\\Same");
    const std::wstring trailing = joinPath(root, L"Trailing");
    makeProfile(joinPath(data, L"Profiles\\same"));
    makeProfile(elsewhere);
    makeProfile(joinPath(data, L"Profiles\\empty"), false);
    makeProfile(trailing);
    writeIni("[Profile0]\nPath=Profiles/same\n"
             "[Profile1]\nIsRelative=0\nPath=" +
             wideToUtf8(elsewhere) +
             "\n"
             "[Profile2]\nPath=Profiles/empty\n"
             "[Profile3]\nIsRelative=0\nPath=" +
             wideToUtf8(trailing) + "\\\n");

    ProfileTargetList targets = {{TargetFormat::ChromiumBookmarks, L"Chrome(Default)", L"x"}};
    enumerateFirefoxProfiles(data, targets);
    ASSERT_EQ(targets.size(), 4u);
    const std::pair<std::wstring, std::wstring> expected[] = {
        {L"Firefox(same)", joinPath(data, L"Profiles\\same\\places.sqlite")},
        {L"Firefox(Same_2)", joinPath(elsewhere, L"places.sqlite")},
        {L"Firefox()", trailing + L"\\places.sqlite"},
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(targets[i + 1].format, TargetFormat::FirefoxPlaces);
        EXPECT_EQ(targets[i + 1].label, expected[i].first);
        EXPECT_EQ(targets[i + 1].filePath, expected[i].second);
    }
    EXPECT_EQ(log(), Lines{L"Firefox: places.sqlite が見つかりません（スキップ）: " +
                           joinPath(data, L"Profiles\\empty")});
}

TEST_F(FirefoxProfilesTest, LabelsCountOnUntilUnique) {
    for (const wchar_t* sub : {L"A\\p", L"B\\P", L"C\\p"})
        makeProfile(joinPath(root, sub));
    writeIni("[Profile0]\nIsRelative=0\nPath=" + wideToUtf8(joinPath(root, L"A\\p")) +
             "\n[Profile1]\nIsRelative=0\nPath=" + wideToUtf8(joinPath(root, L"B\\P")) +
             "\n[Profile2]\nIsRelative=0\nPath=" + wideToUtf8(joinPath(root, L"C\\p")) + "\n");
    ProfileTargetList targets;
    enumerateFirefoxProfiles(data, targets);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].label, L"Firefox(p)");
    EXPECT_EQ(targets[1].label, L"Firefox(P_2)");
    EXPECT_EQ(targets[2].label, L"Firefox(p_3)");
}

TEST_F(FirefoxProfilesTest, NotInstalledOrNoDatabase) {
    for (const std::wstring& folder :
         {std::wstring(), joinPath(root, L"missing"), logPath /* a file */}) {
        SCOPED_TRACE(narrow(folder));
        RunLog::open(logPath);
        ProfileTargetList targets;
        enumerateFirefoxProfiles(folder, targets);
        EXPECT_TRUE(targets.empty());
        EXPECT_EQ(log(), Lines{L"Firefox: 未インストールのためスキップ"});
    }

    RunLog::open(logPath);
    makeProfile(joinPath(data, L"Profiles\\nodb"), false);
    createDirectoryTree(joinPath(data, L"Profiles\\dir\\places.sqlite"));
    writeIni("[Profile0]\nPath=Profiles/nodb\n[Profile1]\nPath=Profiles/dir\n");
    ProfileTargetList targets;
    enumerateFirefoxProfiles(data, targets);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(log(), (Lines{L"Firefox: places.sqlite が見つかりません（スキップ）: " +
                                joinPath(data, L"Profiles\\nodb"),
                            L"Firefox: places.sqlite が見つかりません（スキップ）: " +
                                joinPath(data, L"Profiles\\dir"),
                            L"Firefox: 追加先のプロファイルが見つからないためスキップ"}));
}

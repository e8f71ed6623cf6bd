#include "pinvane/locate/ChromiumProfiles.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using namespace testutil;

namespace {

class ChromiumProfilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto scratch = scratchFolderWithLog(L"chromium-profiles");
        root = scratch.folder;
        logPath = scratch.logPath;
        userData = joinPath(root, L"User Data");
        CreateDirectoryW(userData.c_str(), nullptr);
    }
    // A profile folder, with a "Bookmarks" file unless asked otherwise.
    std::wstring addProfile(const std::wstring& name, bool withBookmarks = true) {
        const std::wstring folder = joinPath(userData, name);
        CreateDirectoryW(folder.c_str(), nullptr);
        if (withBookmarks)
            writeBytes(joinPath(folder, L"Bookmarks"), "{}");
        return joinPath(folder, L"Bookmarks");
    }
    std::string logText() const { return readBytes(logPath).substr(3); }

    std::wstring root, logPath, userData;
};

} // namespace

TEST(ChromiumProfileName, DefaultOrProfileSpaceDigits) {
    const struct {
        const wchar_t* name;
        bool accepted;
    } cases[] = {
        {L"Default", true},         {L"Profile 1", true},       {L"Profile 12", true},
        {L"Profile 03", true},      {L"default", false},        {L"profile 3", false},
        {L"Profile3", false},       {L"Profile", false},        {L"Profile ", false},
        {L"Profile 1a", false},     {L"Profile  1", false},     {L"Guest Profile", false},
        {L"System Profile", false}, {L"Profile \x0661", false}, {L"Default ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isChromiumProfileName(c.name), c.accepted) << narrow(c.name);
}

TEST_F(ChromiumProfilesTest, ProfilesWithBookmarksInListingOrder) {
    for (const wchar_t* name : {L"Default", L"Profile 1", L"Profile 12", L"Profile 03",
                                L"profile 3", L"Profile3", L"Guest Profile", L"System Profile"})
        addProfile(name);
    addProfile(L"Profile 7", false); // no Bookmarks file
    addProfile(L"Profile 8", false);
    CreateDirectoryW(joinPath(userData, L"Profile 8\\Bookmarks").c_str(), nullptr);
    writeBytes(joinPath(userData, L"Profile 9"), "a file, not a folder");

    std::vector<std::wstring> expected;
    for (const std::wstring& name : listSubdirectories(userData)) {
        if (name == L"Default" || name == L"Profile 1" || name == L"Profile 12" ||
            name == L"Profile 03")
            expected.push_back(name);
    }
    ASSERT_EQ(expected.size(), 4u);

    ProfileTargetList targets;
    enumerateChromiumProfiles(L"Edge", userData, targets);
    ASSERT_EQ(targets.size(), expected.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(targets[i].format, TargetFormat::ChromiumBookmarks);
        EXPECT_EQ(targets[i].label, L"Edge(" + expected[i] + L")");
        EXPECT_EQ(targets[i].filePath, userData + L"\\" + expected[i] + L"\\Bookmarks");
    }
    EXPECT_EQ(logText(), "");
}

TEST_F(ChromiumProfilesTest, EachBrowserFillsItsOwnList) {
    const std::wstring edgeData = userData;
    addProfile(L"Default");
    ProfileTargetList edge, chrome;
    enumerateChromiumProfiles(L"Edge", edgeData, edge);

    userData = joinPath(root, L"Chrome Data");
    CreateDirectoryW(userData.c_str(), nullptr);
    const std::wstring chromeBookmarks = addProfile(L"Default");
    enumerateChromiumProfiles(L"Chrome", userData, chrome);

    ASSERT_EQ(edge.size(), 1u);
    ASSERT_EQ(chrome.size(), 1u);
    EXPECT_EQ(edge[0].label, L"Edge(Default)");
    EXPECT_EQ(chrome[0].label, L"Chrome(Default)");
    EXPECT_EQ(chrome[0].filePath, chromeBookmarks);
    EXPECT_EQ(logText(), "");
}

TEST_F(ChromiumProfilesTest, SkipLines) {
    ProfileTargetList targets;
    // Only a profile without Bookmarks, and one whose Bookmarks is a folder.
    addProfile(L"Default", false);
    addProfile(L"Profile 2", false);
    CreateDirectoryW(joinPath(userData, L"Profile 2\\Bookmarks").c_str(), nullptr);
    enumerateChromiumProfiles(L"Chrome", userData, targets);
    EXPECT_TRUE(targets.empty());

    const std::wstring aFile = joinPath(root, L"not a folder");
    writeBytes(aFile, "x");
    enumerateChromiumProfiles(L"Edge", aFile, targets);
    enumerateChromiumProfiles(L"Edge", joinPath(root, L"missing"), targets);
    EXPECT_TRUE(targets.empty());

    EXPECT_EQ(logText(), wideToUtf8(L"Chrome: ブックマークファイルが見つからないためスキップ\r\n"
                                    L"Edge: 未インストールのためスキップ\r\n"
                                    L"Edge: 未インストールのためスキップ\r\n"));
}

TEST_F(ChromiumProfilesTest, SkipLineOnlyWhenThisCallAddsNothing) {
    // Targets already in the list do not hide an empty result of this call.
    ProfileTargetList targets = {{TargetFormat::ChromiumBookmarks, L"Edge(Default)", L"x"}};
    enumerateChromiumProfiles(L"Edge", userData, targets);
    EXPECT_EQ(targets.size(), 1u);
    EXPECT_EQ(logText(), wideToUtf8(L"Edge: ブックマークファイルが見つからないためスキップ\r\n"));
}

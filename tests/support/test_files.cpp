#include "pinvane/support/Files.h"
#include "pinvane/support/Text.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using namespace testutil;

TEST(CreateDirectoryTree, CreatesMissingLevelsAndAcceptsExisting) {
    const std::wstring root = scratchFolder(L"tree");
    const std::wstring deep = root + L"\\a\\b/c";
    EXPECT_TRUE(createDirectoryTree(deep));
    EXPECT_TRUE(directoryExists(root + L"\\a\\b\\c"));
    EXPECT_TRUE(createDirectoryTree(deep));
    EXPECT_TRUE(createDirectoryTree(root + L"\\x\\")); // trailing separator
    EXPECT_TRUE(directoryExists(root + L"\\x"));
    // A parent that is a file cannot hold a folder.
    writeBytes(root + L"\\file", "x");
    EXPECT_FALSE(createDirectoryTree(root + L"\\file\\sub"));
}

TEST(ListSubdirectories, FoldersOnly) {
    const std::wstring root = scratchFolder(L"list");
    EXPECT_TRUE(listSubdirectories(root).empty());
    writeBytes(root + L"\\file.txt", "x");
    EXPECT_TRUE(listSubdirectories(root).empty());
    CreateDirectoryW((root + L"\\Default").c_str(), nullptr);
    CreateDirectoryW((root + L"\\Profile 1").c_str(), nullptr);
    std::vector<std::wstring> names = listSubdirectories(root);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Default", L"Profile 1"}));
    EXPECT_TRUE(listSubdirectories(root + L"\\missing").empty());
    EXPECT_TRUE(listSubdirectories(root + L"\\file.txt").empty());
}

TEST(ReadFileBytes, LargeEmptyAndMissing) {
    const std::wstring root = scratchFolder(L"read");
    std::string large;
    for (int i = 0; i < 200000; ++i)
        large.push_back(static_cast<char>(i * 7 + i / 256));
    writeBytes(root + L"\\large", large);
    writeBytes(root + L"\\empty", "");

    std::string out = "stale";
    ASSERT_TRUE(readFileBytes(root + L"\\large", out));
    EXPECT_EQ(out, large);
    ASSERT_TRUE(readFileBytes(root + L"\\empty", out));
    EXPECT_TRUE(out.empty());
    out = "stale";
    EXPECT_FALSE(readFileBytes(root + L"\\missing", out));
    EXPECT_TRUE(out.empty());
}

TEST(ReadFileBytes, ReadsAFileOpenForWritingElsewhere) {
    const std::wstring root = scratchFolder(L"readshared");
    const std::wstring path = root + L"\\held";
    writeBytes(path, "content");
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::string out;
    EXPECT_TRUE(readFileBytes(path, out));
    EXPECT_EQ(out, "content");
    CloseHandle(writer);
}

TEST(ReplaceFileAtomically, NewReplacedAndFailing) {
    const std::wstring root = scratchFolder(L"replace");
    const std::wstring target = root + L"\\Bookmarks";

    ASSERT_TRUE(replaceFileAtomically(target, "first"));
    EXPECT_EQ(readBytes(target), "first");
    std::string big(3 * 1048576 + 17, 'z');
    ASSERT_TRUE(replaceFileAtomically(target, big));
    EXPECT_EQ(readBytes(target), big);
    ASSERT_TRUE(replaceFileAtomically(target, ""));
    EXPECT_TRUE(fileExists(target));
    EXPECT_EQ(readBytes(target), "");
    EXPECT_FALSE(fileExists(target + L".pinvane.tmp"));

    const std::wstring missing = root + L"\\missing\\Bookmarks";
    EXPECT_FALSE(replaceFileAtomically(missing, "x"));
    EXPECT_FALSE(fileExists(missing + L".pinvane.tmp"));
}

TEST(ReplaceFileAtomically, LockedTargetStaysIntactAndLeavesNoTemporary) {
    const std::wstring root = scratchFolder(L"replacelocked");
    const std::wstring target = root + L"\\Bookmarks";
    writeBytes(target, "original");
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(replaceFileAtomically(target, "new"));
    CloseHandle(holder);
    EXPECT_EQ(readBytes(target), "original");
    EXPECT_FALSE(fileExists(target + L".pinvane.tmp"));
}

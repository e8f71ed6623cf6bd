#include "pinvane/support/RunLog.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace testutil;

TEST(RunLog, BomCrLfUtf8AndFreshStart) {
    const std::wstring root = scratchFolder(L"log");
    const std::wstring path = root + L"\\Pinvane.log";
    writeBytes(path, "old run\r\n");

    RunLog::open(path);
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF");
    RunLog::writeLine(L"設定: テスト");
    RunLog::writeLine(L"終了するブラウザ:\r\n  ・Edge\r\n  ・Chrome");
    RunLog::writeLine(L"");
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF"
                               "\xE8\xA8\xAD\xE5\xAE\x9A: \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\r\n"
                               "\xE7\xB5\x82\xE4\xBA\x86\xE3\x81\x99\xE3\x82\x8B\xE3\x83\x96\xE3"
                               "\x83\xA9\xE3\x82\xA6\xE3\x82\xB6:\r\n  \xE3\x83\xBB"
                               "Edge\r\n  \xE3\x83\xBB"
                               "Chrome\r\n"
                               "\r\n");
}

TEST(RunLog, LockedLogLosesLinesButNothingElse) {
    const std::wstring root = scratchFolder(L"loglocked");
    const std::wstring path = root + L"\\Pinvane.log";
    RunLog::open(path);
    RunLog::writeLine(L"one");
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    RunLog::writeLine(L"lost");
    CloseHandle(holder);
    RunLog::writeLine(L"three");
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBFone\r\nthree\r\n");
}

TEST(RunLog, UnopenableLogCreatesTheFileLater) {
    const std::wstring root = scratchFolder(L"loglater");
    const std::wstring path = root + L"\\sub\\Pinvane.log";
    RunLog::open(path); // the folder does not exist yet
    EXPECT_FALSE(fileExists(path));
    CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
    RunLog::writeLine(L"line");
    EXPECT_EQ(readBytes(path), "line\r\n");
}

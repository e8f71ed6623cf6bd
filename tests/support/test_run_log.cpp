#include "pinvane/support/RunLog.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

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

TEST(RunLog, HeldAgainstOtherWritersWhileOthersReadAlong) {
    const std::wstring root = scratchFolder(L"logheld");
    const std::wstring path = root + L"\\Pinvane.log";
    RunLog::open(path);
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    // Each line can be read as soon as it is written.
    RunLog::writeLine(L"one");
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBFone\r\n");
    RunLog::writeLine(L"two");
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBFone\r\ntwo\r\n");
}

TEST(RunLog, LogThatAnotherRunHoldsIsLeftAlone) {
    const std::wstring root = scratchFolder(L"logother");
    CreateDirectoryW((root + L"\\a.b").c_str(), nullptr);
    std::vector<HANDLE> holders;
    // Another run's log, held as a run holds it.
    const auto hold = [&](const std::wstring& name) {
        writeBytes(root + L"\\" + name, "another run's log\r\n");
        holders.push_back(CreateFileW((root + L"\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(holders.back(), INVALID_HANDLE_VALUE);
    };
    const auto expectLogIn = [&](const std::wstring& asked, const std::wstring& used) {
        RunLog::open(root + L"\\" + asked);
        RunLog::writeLine(L"line");
        EXPECT_EQ(RunLog::path(), root + L"\\" + used);
        EXPECT_EQ(readBytes(root + L"\\" + used), "\xEF\xBB\xBFline\r\n");
        RunLog::close();
    };

    hold(L"Pinvane.log");
    expectLogIn(L"Pinvane.log", L"Pinvane_2.log");
    hold(L"Pinvane_2.log");
    expectLogIn(L"Pinvane.log", L"Pinvane_3.log");
    hold(L"log");
    expectLogIn(L"log", L"log_2");
    hold(L"a.b\\log");
    expectLogIn(L"a.b\\log", L"a.b\\log_2");

    for (const wchar_t* name : {L"Pinvane.log", L"Pinvane_2.log", L"log", L"a.b\\log"})
        EXPECT_EQ(readBytes(root + L"\\" + name), "another run's log\r\n") << narrow(name);
    for (HANDLE holder : holders)
        CloseHandle(holder);
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

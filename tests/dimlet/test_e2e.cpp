#include "common/UniqueHandle.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

namespace {

// A Dimlet.exe started by the test; terminated if a failed check leaves it running.
class DimletProcess {
public:
    DimletProcess() {
        std::wstring commandLine = L"\"" + dimlettest::dimletExePath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
            process.reset(info.hProcess);
            CloseHandle(info.hThread);
            id = info.dwProcessId;
        }
    }
    ~DimletProcess() {
        if (running()) {
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
        }
    }
    DimletProcess(const DimletProcess&) = delete;
    DimletProcess& operator=(const DimletProcess&) = delete;

    bool started() const { return static_cast<bool>(process); }
    bool running() const {
        return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    }

    // Its top-level window titled "Dimlet", if it has one.
    HWND window() const {
        for (HWND hwnd = FindWindowExW(nullptr, nullptr, nullptr, L"Dimlet"); hwnd;
             hwnd = FindWindowExW(nullptr, hwnd, nullptr, L"Dimlet")) {
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == id)
                return hwnd;
        }
        return nullptr;
    }

    HWND waitForWindow(DWORD milliseconds) const {
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        while (GetTickCount64() < deadline && running()) {
            if (HWND hwnd = window())
                return hwnd;
            Sleep(20);
        }
        return window();
    }

    // Waits for the end; false if it is still running. Notes whether a window ever showed up.
    bool waitForExit(DWORD milliseconds, bool& hadWindow) const {
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        while (GetTickCount64() < deadline) {
            hadWindow = hadWindow || window() != nullptr;
            if (WaitForSingleObject(process.get(), 10) == WAIT_OBJECT_0)
                return true;
        }
        return false;
    }

    DWORD exitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.get(), &code);
        return code;
    }

private:
    KernelHandle process;
    DWORD id = 0;
};

} // namespace

TEST(DimletEndToEnd, SecondCopyEndsAtOnceAndFirstEndsWithItsWindow) {
    DimletProcess first;
    ASSERT_TRUE(first.started());
    const HWND window = first.waitForWindow(20000);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, static_cast<LONG>(WS_POPUP));

    {
        DimletProcess second;
        ASSERT_TRUE(second.started());
        bool hadWindow = false;
        ASSERT_TRUE(second.waitForExit(20000, hadWindow));
        EXPECT_FALSE(hadWindow);
        EXPECT_EQ(second.exitCode(), 0u);
    }
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.window(), window);

    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    bool unused = false;
    ASSERT_TRUE(first.waitForExit(20000, unused));
    EXPECT_EQ(first.exitCode(), 0u);

    // The first copy let go of its mutex: a new start runs again.
    DimletProcess third;
    ASSERT_TRUE(third.started());
    const HWND again = third.waitForWindow(20000);
    ASSERT_NE(again, nullptr);
    PostMessageW(again, WM_CLOSE, 0, 0);
    ASSERT_TRUE(third.waitForExit(20000, unused));
    EXPECT_EQ(third.exitCode(), 0u);
}

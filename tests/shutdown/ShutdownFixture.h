#pragma once

// Stand-in browsers started by the tests, the run log of each test and a
// watcher thread that reads and answers the "Pinvane" message boxes.

#include "pinvane/support/BrowserTable.h"
#include "pinvane/shutdown/RunningBrowsers.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"
#include "tests/common/Processes.h"
#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct StandIn {
    HANDLE process = nullptr;
    uint32_t id = 0;
};

// What of a box's style can be seen from outside: its buttons and its icon.
// (Wine does not turn MB_TOPMOST into WS_EX_TOPMOST, so that flag is not checked.)
struct SeenBox {
    std::wstring text;
    bool hasCancel = false;
    HICON icon = nullptr;
};

// Answers each "Pinvane" box with the next command of its script (IDOK when the
// script has run out) and records what it saw. beforeAnswer runs first.
class BoxWatcher {
public:
    struct Answer {
        UINT message = WM_COMMAND; // WM_COMMAND, or WM_CLOSE to close the box
        WPARAM command = IDOK;
        std::function<void()> beforeAnswer;
    };

    explicit BoxWatcher(std::vector<Answer> script = {})
        : answers(std::move(script)), thread([this] { run(); }) {}
    ~BoxWatcher() {
        stop = true;
        thread.join();
    }

    std::vector<SeenBox> boxes() {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }

private:
    void run() {
        while (!stop) {
            HWND box = FindWindowW(L"#32770", L"Pinvane");
            if (!box || !IsWindowVisible(box)) {
                Sleep(20);
                continue;
            }
            SeenBox item;
            wchar_t text[2048] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 2048);
            item.text = text;
            const HWND cancel = GetDlgItem(box, IDCANCEL);
            item.hasCancel = cancel && IsWindowVisible(cancel);
            // The icon control is 0x14 on Windows and 0x440 under Wine.
            HWND iconControl = GetDlgItem(box, 0x14);
            if (!iconControl)
                iconControl = GetDlgItem(box, 0x440);
            if (iconControl)
                item.icon = reinterpret_cast<HICON>(SendMessageW(iconControl, STM_GETICON, 0, 0));
            Answer answer;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (seen.size() < answers.size())
                    answer = answers[seen.size()];
                seen.push_back(item);
            }
            if (answer.beforeAnswer)
                answer.beforeAnswer();
            PostMessageW(box, answer.message, answer.message == WM_COMMAND ? answer.command : 0, 0);
            for (int i = 0; i < 250 && IsWindow(box); ++i)
                Sleep(20);
        }
    }

    std::vector<Answer> answers;
    std::vector<SeenBox> seen;
    std::mutex mutex;
    std::atomic<bool> stop{false};
    std::thread thread;
};

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = testutil::scratchFolderWithLog(L"shutdown-" + utf8ToWide(info->name())).folder;
        dialogsEnabled = true;
        setProcessLookup({});
        ASSERT_TRUE(findProcessIdsByImageName(L"msedge.exe").empty() &&
                    findProcessIdsByImageName(L"chrome.exe").empty() &&
                    findProcessIdsByImageName(L"firefox.exe").empty())
            << "a browser process is left from an earlier test";
    }

    // Every stand-in goes, whatever the test did.
    void TearDown() override {
        started.clear();
        dialogsEnabled = true;
        setProcessLookup({});
    }

    // Starts <exe folder>\standin\<image> in the given mode and waits for its window.
    StandIn start(const std::wstring& image, const std::wstring& mode) {
        const std::wstring path = joinPath(joinPath(testutil::exeFolder(), L"standin"), image);
        testutil::ChildProcess child = testutil::ChildProcess::start(path, {mode});
        if (!child.started()) {
            ADD_FAILURE() << "cannot start " << testutil::narrow(path);
            return {};
        }
        const StandIn standIn{child.handle(), child.id()};
        started.push_back(std::move(child));
        // Ready once its message loop runs and its window is shown (or, for
        // "hidden", exists): a window that is not visible yet gets no WM_CLOSE.
        WaitForInputIdle(standIn.process, 10000);
        const bool visible = mode != L"hidden";
        for (int i = 0; i < 500 && !hasWindow(standIn.id, visible); ++i)
            Sleep(20);
        EXPECT_TRUE(hasWindow(standIn.id, visible)) << "no window from " << testutil::narrow(image);
        return standIn;
    }

    // The exit code once the process has ended; STILL_ACTIVE if it runs on.
    static DWORD exitCode(const StandIn& s, DWORD waitMilliseconds = 5000) {
        WaitForSingleObject(s.process, waitMilliseconds);
        DWORD code = 0;
        GetExitCodeProcess(s.process, &code);
        return code;
    }

    static bool running(const StandIn& s) {
        return WaitForSingleObject(s.process, 0) == WAIT_TIMEOUT;
    }

    static void endNow(const StandIn& s) {
        TerminateProcess(s.process, 99);
        WaitForSingleObject(s.process, 5000);
    }

    // The log after its byte-order mark.
    std::wstring logText() const {
        std::string bytes = testutil::readBytes(joinPath(root, L"Pinvane.log"));
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            bytes.erase(0, 3);
        return utf8ToWide(bytes);
    }

    static const BrowserId* edge() { return &BrowserTable[0]; }
    static const BrowserId* chrome() { return &BrowserTable[1]; }
    static const BrowserId* firefox() { return &BrowserTable[2]; }

    std::wstring root;

private:
    static bool hasWindow(uint32_t id, bool visible) {
        struct Search {
            uint32_t id;
            bool visible;
            bool found;
        } search{id, visible, false};
        EnumWindows(
            [](HWND window, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t className[32] = {};
                GetClassNameW(window, className, 32);
                if (owner == s->id && std::wstring(className) == L"PinvaneStandIn" &&
                    (!s->visible || IsWindowVisible(window)))
                    s->found = true;
                return !s->found;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    std::vector<testutil::ChildProcess> started;
};

// A process id that no process has: its open fails with ERROR_INVALID_PARAMETER.
constexpr uint32_t absentProcessId = 0x7FFFFFF0;

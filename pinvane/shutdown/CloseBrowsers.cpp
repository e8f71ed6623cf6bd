#include "pinvane/shutdown/CloseBrowsers.h"

#include "common/UniqueHandle.h"
#include "pinvane/support/RunLog.h"

#include <algorithm>

namespace {

constexpr DWORD pollMilliseconds = 200;
constexpr uint32_t afterTerminationMilliseconds = 5000;

uint32_t timeoutMilliseconds(int32_t seconds) {
    // The settings allow at most six digits; clamp anything else rather than wrap.
    const uint64_t ms = uint64_t(std::max(seconds, 0)) * 1000;
    return uint32_t(std::min<uint64_t>(ms, UINT32_MAX));
}

void terminateProcesses(const ProcessIdList& ids) {
    for (const uint32_t id : ids) {
        KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (!process.valid() || !TerminateProcess(process.get(), 1)) {
            const DWORD error = GetLastError();
            RunLog::writeLine(L"プロセスを強制終了できません (PID " + std::to_wstring(id) +
                              L"): エラー " + std::to_wstring(error));
        }
    }
}

} // namespace

ProcessIdList collectBrowserProcessIds(const BrowserList& browsers) {
    ProcessIdList ids;
    for (const BrowserId* browser : browsers) {
        const ProcessIdList own = findProcessIdsByImageName(browser->processImageName);
        ids.insert(ids.end(), own.begin(), own.end());
    }
    return ids;
}

BOOL CALLBACK postCloseToWindows(HWND window, LPARAM processIds) {
    const auto& ids = *reinterpret_cast<const ProcessIdList*>(processIds);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (IsWindowVisible(window) && std::find(ids.begin(), ids.end(), owner) != ids.end())
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

bool waitForBrowsersToExit(const BrowserList& browsers, uint32_t limitMilliseconds) {
    const ULONGLONG deadline = GetTickCount64() + limitMilliseconds;
    for (;;) {
        if (collectBrowserProcessIds(browsers).empty())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(pollMilliseconds);
    }
}

bool closeBrowsers(const BrowserList& browsers, int32_t timeoutSeconds) {
    const ProcessIdList ids = collectBrowserProcessIds(browsers);
    if (ids.empty())
        return true;
    RunLog::writeLine(L"ブラウザのウィンドウを閉じます");
    EnumWindows(postCloseToWindows, reinterpret_cast<LPARAM>(&ids));
    if (waitForBrowsersToExit(browsers, timeoutMilliseconds(timeoutSeconds))) {
        RunLog::writeLine(L"ブラウザが終了しました");
        return true;
    }
    RunLog::writeLine(L"ブラウザが " + std::to_wstring(timeoutSeconds) +
                      L" 秒以内に終了しなかったため、強制終了します");
    // Fresh ids: a browser may have started new processes meanwhile.
    terminateProcesses(collectBrowserProcessIds(browsers));
    const bool gone = waitForBrowsersToExit(browsers, afterTerminationMilliseconds);
    RunLog::writeLine(gone ? L"強制終了しました" : L"強制終了後もプロセスが残っています");
    return gone;
}

#include "tests/common/Processes.h"

namespace testutil {

std::wstring quotedCommandLine(const std::wstring& exe,
                               const std::vector<std::wstring>& arguments) {
    std::wstring line = L"\"" + exe + L"\"";
    for (const std::wstring& argument : arguments)
        line += L" \"" + argument + L"\"";
    return line;
}

ChildProcess ChildProcess::start(const std::wstring& exe,
                                 const std::vector<std::wstring>& arguments,
                                 const std::wstring& workingFolder, const wchar_t* environment) {
    std::wstring line = quotedCommandLine(exe, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ChildProcess child;
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE,
                        environment ? CREATE_UNICODE_ENVIRONMENT : 0,
                        const_cast<wchar_t*>(environment),
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info))
        return child;
    CloseHandle(info.hThread);
    child.process.reset(info.hProcess);
    child.processId = info.dwProcessId;
    return child;
}

bool ChildProcess::running() const {
    return started() && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::waitForExit(DWORD milliseconds) const {
    if (!started())
        return STILL_ACTIVE;
    WaitForSingleObject(process.get(), milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

void ChildProcess::end() {
    if (running()) {
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 10000);
    }
    process.reset();
}

} // namespace testutil

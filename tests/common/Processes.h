#pragma once

// Processes that tests start: stand-in browsers, Pinvane.exe, small helpers.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testutil {

// "exe" "argument" ... as CreateProcessW wants it.
std::wstring quotedCommandLine(const std::wstring& exe, const std::vector<std::wstring>& arguments);

// A process this test started. It never outlives its owner: one still running then is
// terminated, so a failing test leaves nothing behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        if (this != &other) {
            end();
            process = std::move(other.process);
            processId = other.processId;
        }
        return *this;
    }
    ~ChildProcess() { end(); }

    // Not started (started() is false) when CreateProcessW fails. environment: a
    // UTF-16 block as CreateProcessW takes it, or null for the test's own.
    static ChildProcess start(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                              const std::wstring& workingFolder = {},
                              const wchar_t* environment = nullptr);

    bool started() const { return process.valid(); }
    HANDLE handle() const { return process.get(); }
    DWORD id() const { return processId; }
    bool running() const;
    // The exit code once it has ended within the time; STILL_ACTIVE otherwise.
    DWORD waitForExit(DWORD milliseconds) const;
    // Terminates it if it still runs and waits for it to go.
    void end();
    // The caller owns the handle from now on.
    HANDLE release() { return process.release(); }

private:
    KernelHandle process;
    DWORD processId = 0;
};

} // namespace testutil

#include "pinvane/support/RunLog.h"

#include "common/UniqueHandle.h"
#include "pinvane/support/Text.h"

#include <windows.h>

std::wstring RunLog::logPath;

namespace {

FileHandle logFile;
// Whether a later line may still try to create the log: only after a failure
// that was not another run holding the file.
bool retryOpen = false;

// Far more runs than could ever overlap.
constexpr int maxLogNumber = 1000;

std::wstring numberedPath(const std::wstring& path, int number) {
    if (number == 1)
        return path;
    const size_t separator = path.find_last_of(L"\\/");
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator))
        dot = path.size();
    return path.substr(0, dot) + L"_" + std::to_wstring(number) + path.substr(dot);
}

HANDLE openLogFile(const std::wstring& path, DWORD access, DWORD disposition) {
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
}

} // namespace

void RunLog::open(const std::wstring& path) {
    close();
    logPath = path;
    for (int number = 1; number <= maxLogNumber; ++number) {
        const std::wstring candidate = numberedPath(path, number);
        logFile.reset(openLogFile(candidate, GENERIC_WRITE, CREATE_ALWAYS));
        if (logFile.valid()) {
            logPath = candidate;
            static const char bom[] = "\xEF\xBB\xBF";
            DWORD written = 0;
            WriteFile(logFile.get(), bom, 3, &written, nullptr);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) {
            logPath = candidate;
            retryOpen = true;
            return;
        }
    }
}

void RunLog::writeLine(const std::wstring& message) {
    if (!logFile.valid()) {
        if (!retryOpen)
            return;
        logFile.reset(openLogFile(logPath, FILE_APPEND_DATA, OPEN_ALWAYS));
        if (!logFile.valid()) {
            // Once another run holds the file, it is that run's log.
            retryOpen = GetLastError() != ERROR_SHARING_VIOLATION;
            return;
        }
    }
    const std::string line = wideToUtf8(message + L"\r\n");
    DWORD written = 0;
    WriteFile(logFile.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void RunLog::close() {
    logFile.reset();
    retryOpen = false;
}

const std::wstring& RunLog::path() {
    return logPath;
}

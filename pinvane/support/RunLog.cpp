#include "pinvane/support/RunLog.h"

#include "common/UniqueHandle.h"
#include "pinvane/support/Text.h"

#include <windows.h>

std::wstring RunLog::logPath;

void RunLog::open(const std::wstring& path) {
    logPath = path;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return;
    static const char bom[] = "\xEF\xBB\xBF";
    DWORD written = 0;
    WriteFile(file.get(), bom, 3, &written, nullptr);
}

void RunLog::writeLine(const std::wstring& message) {
    if (logPath.empty())
        return;
    FileHandle file(CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return;
    const std::string line = wideToUtf8(message + L"\r\n");
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

const std::wstring& RunLog::path() {
    return logPath;
}

#include "tests/common/TestUtil.h"

#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <stdexcept>

namespace testutil {

std::wstring scratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring root = joinPath(temp, L"pinvane-tests");
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring folder = joinPath(root, name);
    RunLog::close(); // a log that an earlier test left open may lie in the folder
    removeTree(folder);
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        throw std::runtime_error("cannot create scratch folder");
    return folder;
}

ScratchLog scratchFolderWithLog(const std::wstring& name) {
    ScratchLog scratch;
    scratch.folder = scratchFolder(name);
    scratch.logPath = joinPath(scratch.folder, L"Pinvane.log");
    RunLog::open(scratch.logPath);
    return scratch;
}

namespace {

void collectFiles(const std::wstring& folder, const std::wstring& prefix,
                  std::map<std::wstring, std::string>& files) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(joinPath(folder, L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            collectFiles(joinPath(folder, name), prefix + name + L"\\", files);
        else
            files[prefix + name] = readBytes(joinPath(folder, name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

} // namespace

std::map<std::wstring, std::string> filesBelow(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    collectFiles(folder, L"", files);
    return files;
}

void removeTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(joinPath(path, L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring child = entry.cFileName;
            if (child != L"." && child != L"..")
                removeTree(joinPath(path, child));
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + narrow(path));
    DWORD written = 0;
    const bool ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
    CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot write " + narrow(path));
}

std::string readBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> logLines(const std::wstring& logPath) {
    std::string content = readBytes(logPath);
    if (content.starts_with("\xEF\xBB\xBF"))
        content.erase(0, 3);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    if (start < content.size())
        lines.push_back(content.substr(start) + "<no CR LF>");
    return lines;
}

std::wstring exeFolder() {
    wchar_t path[1040] = {};
    GetModuleFileNameW(nullptr, path, 1040);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

std::string narrow(const std::wstring& text) {
    return wideToUtf8(text);
}

bool logReport(const std::wstring& label, const EditReport& report) {
    for (const std::wstring& line : reportLines(label, report))
        RunLog::writeLine(line);
    return !report.failed;
}

} // namespace testutil

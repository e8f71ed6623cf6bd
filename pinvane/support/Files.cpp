#include "pinvane/support/Files.h"

#include "common/UniqueHandle.h"
#include "pinvane/support/Text.h"

#include <windows.h>

bool isExistingDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void createParentFolders(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator != 0)
        createDirectoryTree(path.substr(0, separator));
}

bool createDirectoryTree(const std::wstring& folder) {
    if (isExistingDirectory(folder))
        return true;
    createParentFolders(folder);
    if (CreateDirectoryW(folder.c_str(), nullptr))
        return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::wstring> listSubdirectories(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry{};
    const FindHandle search(FindFirstFileW(joinPath(folder, L"*").c_str(), &entry));
    if (!search.valid())
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search.get(), &entry));
    return names;
}

bool readFileBytes(const std::wstring& path, std::string& out) {
    out.clear();
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size{};
    // Only a hint: the file may still grow or shrink while it is read.
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < (1ll << 31))
        out.reserve(static_cast<size_t>(size.QuadPart));
    constexpr DWORD chunkSize = 65536;
    std::string chunk(chunkSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), chunkSize, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        out.append(chunk.data(), read);
    }
}

bool replaceFileAtomically(const std::wstring& path, const std::string& content) {
    const std::wstring temporary = path + L".pinvane.tmp";
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return false;
        constexpr size_t pieceSize = 1048576;
        size_t offset = 0;
        while (offset < content.size()) {
            const DWORD piece = static_cast<DWORD>(std::min(pieceSize, content.size() - offset));
            DWORD written = 0;
            // A write that reports nothing written would loop forever: treat it as a failure.
            if (!WriteFile(file.get(), content.data() + offset, piece, &written, nullptr) ||
                written == 0) {
                file.reset();
                DeleteFileW(temporary.c_str());
                return false;
            }
            offset += written;
        }
        if (!FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

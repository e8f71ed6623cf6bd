#include "pinvane/firefox/FirefoxPreview.h"

#include "pinvane/firefox/FirefoxEditor.h"
#include "pinvane/support/Text.h"

#include <windows.h>

namespace {

// A new folder of our own under %TEMP%; empty when none could be made.
std::wstring makePrivateFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    const std::wstring base =
        joinPath(temp, L"Pinvane-preview-" + std::to_wstring(GetCurrentProcessId()));
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::wstring folder = attempt == 1 ? base : base + L"_" + std::to_wstring(attempt);
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
    return {};
}

// Removes the copies, whatever happened to them.
class PrivateCopy {
public:
    PrivateCopy() : folder(makePrivateFolder()) {}
    ~PrivateCopy() {
        if (folder.empty())
            return;
        // The copies and whatever companions SQLite made beside them.
        for (const wchar_t* suffix : {L"", L"-wal", L"-shm", L"-journal"})
            DeleteFileW((database() + suffix).c_str());
        RemoveDirectoryW(folder.c_str());
    }
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    bool made() const { return !folder.empty(); }
    std::wstring database() const { return joinPath(folder, L"places.sqlite"); }

    // False with the system error when the source exists but cannot be copied.
    bool copy(const std::wstring& source, const std::wstring& suffix, bool required, DWORD& error) {
        if (CopyFileW(source.c_str(), (database() + suffix).c_str(), TRUE))
            return true;
        error = GetLastError();
        return !required && error == ERROR_FILE_NOT_FOUND;
    }

private:
    std::wstring folder;
};

} // namespace

EditReport previewFirefoxBookmarks(const std::wstring& databasePath,
                                   const std::vector<BookmarkSpec>& bookmarks,
                                   InsertPosition position) {
    EditReport report;
    PrivateCopy copy;
    DWORD error = 0;
    if (!copy.made()) {
        error = GetLastError();
    } else if (copy.copy(databasePath, L"", true, error) &&
               // The -shm file is only an index of the WAL: SQLite rebuilds it.
               copy.copy(databasePath + L"-wal", L"-wal", false, error)) {
        return addFirefoxBookmarks(copy.database(), bookmarks, position, EditMode::Preview);
    }
    report.failed = true;
    report.failure = L"places.sqlite を読み込めないため、プレビューできません（エラー " +
                     std::to_wstring(error) + L"）";
    return report;
}

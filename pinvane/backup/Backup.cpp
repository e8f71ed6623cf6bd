#include "pinvane/backup/Backup.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <cwchar>

namespace {

std::wstring fileNameOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring errorSuffix(DWORD code) {
    return L"（エラー " + std::to_wstring(code) + L"）";
}

} // namespace

std::wstring makeBackupFolderPath(const std::wstring& backupRoot) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[32] = {};
    std::swprintf(name, 32, L"%04d%02d%02d_%02d%02d%02d", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return joinPath(backupRoot, name);
}

namespace {

// Far more runs than could ever start within one second.
constexpr int maxRunFolderNumber = 100000;

// CreateDirectoryW fails on an existing folder, also on a share that another
// machine writes to, so a folder it creates belongs to this run alone. Empty when
// none could be created; `tried` is then the folder that failed.
std::wstring createOwnRunFolder(const std::wstring& proposed, std::wstring& tried) {
    createParentFolders(proposed);
    for (int number = 1; number <= maxRunFolderNumber; ++number) {
        tried = number == 1 ? proposed : proposed + L"_" + std::to_wstring(number);
        if (CreateDirectoryW(tried.c_str(), nullptr))
            return tried;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return {};
}

} // namespace

bool BackupSet::begin(RunFolder& run) {
    if (!run.created) {
        std::wstring tried;
        const std::wstring created = createOwnRunFolder(run.path, tried);
        if (created.empty()) {
            RunLog::writeLine(L"バックアップフォルダを作成できません: " + tried);
            return false;
        }
        run = {created, true};
    }
    runFolder = run.path;
    return true;
}

bool BackupSet::addFiles(const std::wstring& label, const std::vector<std::wstring>& files) {
    const std::wstring targetFolder = joinPath(runFolder, label);
    if (!createDirectoryTree(targetFolder)) {
        RunLog::writeLine(label + L": バックアップフォルダを作成できません: " + targetFolder);
        return false;
    }
    for (const std::wstring& source : files) {
        BackupEntry entry{source, joinPath(targetFolder, fileNameOf(source)), false};
        if (isExistingFile(source)) {
            if (!CopyFileW(source.c_str(), entry.backupPath.c_str(), FALSE)) {
                const DWORD error = GetLastError();
                RunLog::writeLine(label + L": バックアップを作成できません: " + source +
                                  errorSuffix(error));
                return false;
            }
            entry.existed = true;
        }
        backupEntries.push_back(std::move(entry));
    }
    RunLog::writeLine(label + L": バックアップを作成しました: " + targetFolder);
    return true;
}

namespace {

// Puts a copy back through a temporary file beside the browser's file, so that a
// restore cut short never leaves that file half-written. 0 on success.
DWORD copyBack(const std::wstring& backupPath, const std::wstring& sourcePath) {
    const std::wstring temporary = sourcePath + L".pinvane.tmp";
    if (CopyFileW(backupPath.c_str(), temporary.c_str(), FALSE) &&
        MoveFileExW(temporary.c_str(), sourcePath.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    return error;
}

} // namespace

bool BackupSet::restore() {
    bool ok = true;
    for (const BackupEntry& entry : backupEntries) {
        if (entry.existed) {
            if (const DWORD error = copyBack(entry.backupPath, entry.sourcePath)) {
                RunLog::writeLine(L"復元できません: " + entry.sourcePath + errorSuffix(error));
                ok = false;
            }
        } else if (isExistingFile(entry.sourcePath)) {
            if (!DeleteFileW(entry.sourcePath.c_str())) {
                const DWORD error = GetLastError();
                RunLog::writeLine(L"削除できません: " + entry.sourcePath + errorSuffix(error));
                ok = false;
            }
        }
    }
    if (ok)
        RunLog::writeLine(L"バックアップから元に戻しました");
    else
        RunLog::writeLine(L"バックアップからの復元に失敗したファイルがあります。バックアップ: " +
                          runFolder);
    return ok;
}

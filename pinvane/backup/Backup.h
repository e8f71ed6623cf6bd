#pragma once

#include <string>
#include <vector>

// The run folder <backup root>\YYYYMMDD_HHMMSS for the current local time;
// nothing is created.
std::wstring makeBackupFolderPath(const std::wstring& backupRoot);

struct BackupEntry {
    std::wstring sourcePath;
    std::wstring backupPath;
    // False when the source was missing (or a folder): no copy was made, and a
    // restore deletes whatever the edit left at the source.
    bool existed = false;
};

// The run's backup folder, shared by the browsers of one run. makeBackupFolderPath
// proposes the path; the run's first begin creates it as a new folder, taking
// "_2", "_3", ... after the name while another run already owns that folder, and
// records what it created here.
struct RunFolder {
    std::wstring path;
    bool created = false;
};

// One browser's backup: copies of every file its edits may change, so that a
// failed edit can put the whole browser back.
class BackupSet {
public:
    // Creates the run folder on the run's first call; later calls share it.
    bool begin(RunFolder& run);
    // Copies the target's files into <run folder>\<label>; stops at the first
    // copy that fails.
    bool addFiles(const std::wstring& label, const std::vector<std::wstring>& files);
    // Walks every entry even after a failure.
    bool restore();

    const std::wstring& folder() const { return runFolder; }
    const std::vector<BackupEntry>& entries() const { return backupEntries; }

private:
    std::wstring runFolder;
    std::vector<BackupEntry> backupEntries;
};

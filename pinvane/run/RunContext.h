#pragma once

#include <optional>
#include <string>
#include <vector>

struct RunContext {
    std::wstring exeFolder;
    // Holds the log and the Backup folder: exeFolder, or the --data-dir folder.
    std::wstring dataFolder;
    std::wstring logPath;
    std::wstring settingsPath;
    std::wstring localAppData;
    std::wstring appData;
    std::wstring chromeUserDataDir;
    std::wstring edgeUserDataDir;
    std::wstring firefoxDir;
    bool processCheck = true;
    bool preview = false; // "--preview": report what a run would do, change nothing
    bool japaneseUi = false;
};

// The module path up to, not including, its last backslash.
std::wstring folderOfModulePath(const std::wstring& modulePath);

// Applies the options (arguments after the executable name) to the context and
// to dialogsEnabled. Case-sensitive; the last occurrence wins.
void applyCommandLine(const std::vector<std::wstring>& arguments, RunContext& context);

// Start-up: finds the executable's folder, reads the command line, empties and
// opens the run log, reads the environment and settles the browser folders.
// Nothing when the --data-dir folder cannot be created: there is no log then.
std::optional<RunContext> startRun(const std::vector<std::wstring>& arguments);

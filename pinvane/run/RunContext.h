#pragma once

#include <string>
#include <vector>

struct RunContext {
    std::wstring exeFolder;
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

// Start-up: finds the executable's folder, empties and opens the run log, reads
// the command line and the environment and settles the browser folders.
RunContext startRun(const std::vector<std::wstring>& arguments);

#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A scratch folder holding a copy of Pinvane.exe (its log and Backup go beside
// it) and browser data folders for Edge, Chrome and Firefox.
class PinvaneFolder {
public:
    explicit PinvaneFolder(const std::wstring& name);

    std::wstring path(const std::wstring& relative) const;
    void writeIni(const std::string& utf8);

    // Writes <browser>\<profile>\Bookmarks and returns its path.
    std::wstring addChromiumProfile(const std::wstring& browser, const std::wstring& profile,
                                    const std::string& content);
    // Creates (or recreates) a Firefox profile with a places.sqlite like a real
    // profile's and lists it in profiles.ini; returns the database path.
    std::wstring addFirefoxProfile(const std::wstring& name);

    // The options that point Pinvane at this folder's browser data.
    std::vector<std::wstring> browserOptions() const;

    std::vector<std::string> logLines() const; // UTF-8, without BOM and CR LF

    std::wstring root;

private:
    std::string profilesIni;
    int firefoxProfiles = 0;
};

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::vector<std::wstring> boxTexts; // message boxes shown, in order
};

// Runs the folder's Pinvane.exe and answers each message box it shows with
// `answer` (IDOK or IDCANCEL).
RunResult runPinvane(const PinvaneFolder& folder, const std::vector<std::wstring>& arguments,
                     int answer = IDOK);

// Starts Pinvane.exe without waiting; the caller owns the process handle.
HANDLE startPinvane(const PinvaneFolder& folder, const std::vector<std::wstring>& arguments);

// Rows of a query on a database, each column as text (NULL as empty).
std::vector<std::vector<std::string>> queryRows(const std::wstring& database,
                                                const std::string& sql, int columns);

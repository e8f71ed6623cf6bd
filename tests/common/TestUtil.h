#pragma once

#include "pinvane/support/Bookmarks.h"

#include <map>
#include <string>
#include <vector>

namespace testutil {

// A fresh, empty folder for one test: <temp>\pinvane-tests\<name>.
std::wstring scratchFolder(const std::wstring& name);
void removeTree(const std::wstring& path);

// A fresh scratch folder with the run log started in it, as <folder>\Pinvane.log.
struct ScratchLog {
    std::wstring folder;
    std::wstring logPath;
};
ScratchLog scratchFolderWithLog(const std::wstring& name);

// Every file below a folder with its bytes, by path relative to it.
std::map<std::wstring, std::string> filesBelow(const std::wstring& folder);

void writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path); // empty when unreadable
bool fileExists(const std::wstring& path);
bool directoryExists(const std::wstring& path);

// The lines of a run log as UTF-8, without the byte order mark and the CR LF
// ends; a last line without CR LF is marked "<no CR LF>".
std::vector<std::string> logLines(const std::wstring& logPath);

// Writes an editor's report to the run log as the run flow does; true when it did not fail.
bool logReport(const std::wstring& label, const EditReport& report);

// The folder that holds the running test executable.
std::wstring exeFolder();

// UTF-8 for gtest messages.
std::string narrow(const std::wstring& text);

} // namespace testutil

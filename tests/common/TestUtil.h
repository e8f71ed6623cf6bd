#pragma once

#include <string>

namespace testutil {

// A fresh, empty folder for one test: <temp>\pinvane-tests\<name>.
std::wstring scratchFolder(const std::wstring& name);
void removeTree(const std::wstring& path);

void writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path); // empty when unreadable
bool fileExists(const std::wstring& path);
bool directoryExists(const std::wstring& path);

// The folder that holds the running test executable.
std::wstring exeFolder();

// UTF-8 for gtest messages.
std::string narrow(const std::wstring& text);

} // namespace testutil

#pragma once

#include <string>
#include <vector>

bool isExistingDirectory(const std::wstring& path);
bool createDirectoryTree(const std::wstring& folder);
std::vector<std::wstring> listSubdirectories(const std::wstring& folder);
bool readFileBytes(const std::wstring& path, std::string& out);
// The target is either untouched or wholly replaced; the temporary file is the
// target path plus ".pinvane.tmp".
bool replaceFileAtomically(const std::wstring& path, const std::string& content);

#pragma once

#include <string>
#include <vector>

bool isExistingDirectory(const std::wstring& path);
// A file, not a folder.
bool isExistingFile(const std::wstring& path);
// True when the folder exists afterwards, made now or before.
bool createDirectoryTree(const std::wstring& folder);
// The folders above path; whether they could be made shows when path itself is made.
void createParentFolders(const std::wstring& path);
std::vector<std::wstring> listSubdirectories(const std::wstring& folder);
bool readFileBytes(const std::wstring& path, std::string& out);
// The target is either untouched or wholly replaced; the temporary file is the
// target path plus ".pinvane.tmp".
bool replaceFileAtomically(const std::wstring& path, const std::string& content);

#pragma once

#include <windows.h>

#include <string>

// True with the value when the hive holds a non-empty "UserDataDir" string
// (REG_SZ or REG_EXPAND_SZ, not expanded) under the key.
bool readUserDataDirPolicy(HKEY hive, const std::wstring& keyPath, std::wstring& value);

// The policy folder (HKLM before HKCU), expanded and logged, or the default unchanged.
std::wstring resolveUserDataDir(const std::wstring& vendorPath, const std::wstring& defaultFolder);

// Replaces the browser path variables, then %VAR% references.
std::wstring expandPathVariables(const std::wstring& text);

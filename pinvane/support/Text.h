#pragma once

#include <string>

// Paths and UI text are UTF-16; file contents are UTF-8 byte strings.
std::wstring utf8ToWide(const std::string& bytes);
std::string wideToUtf8(const std::wstring& text);

std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
std::wstring getEnvironmentText(const std::wstring& name);
// The text with every %NAME% replaced by the variable's value, as Windows expands
// it; empty when it names a variable that is not set, which Windows would leave
// in place as a literal name.
std::wstring expandEnvironmentText(const std::wstring& text);

#pragma once

#include <string>

// The path of the running executable.
std::wstring ownExecutablePath();

// "major.minor.build.revision" from a file's fixed version information; empty when the file has
// no readable version resource.
std::wstring fileVersionText(const std::wstring& path);

// "LegalCopyright" from the first translation of a file's version resource; empty when missing.
std::wstring legalCopyright(const std::wstring& path);

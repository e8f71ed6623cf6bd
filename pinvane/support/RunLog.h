#pragma once

#include <string>

// The one run log. Each line is appended and the file closed again, so a line
// is on disk when writeLine returns and other programs can read along.
class RunLog {
public:
    static void open(const std::wstring& path);
    static void writeLine(const std::wstring& message);
    static const std::wstring& path();

private:
    static std::wstring logPath;
};

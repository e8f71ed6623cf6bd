#pragma once

#include <string>

// The one run log. The run holds its file open, shared for reading only, so no
// other run can write into it while other programs can still read along; each
// line is written through, so it is on disk when writeLine returns.
class RunLog {
public:
    // Starts the log afresh at `path`. While another run holds that file, the log
    // goes to the same name with "_2" (then "_3", ...) before its extension, and
    // the held file is left alone.
    static void open(const std::wstring& path);
    static void writeLine(const std::wstring& message);
    // Lets go of the file; lines are dropped until the next open.
    static void close();
    // The file the log is written to.
    static const std::wstring& path();

private:
    static std::wstring logPath;
};

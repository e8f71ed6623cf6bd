#include "pinvane/run/RunContext.h"
#include "pinvane/run/RunFlow.h"

#include <windows.h>

#include <vector>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.emplace_back(__wargv[i]);
    const std::optional<RunContext> context = startRun(arguments);
    // The data folder cannot be created: there is no log to report it in.
    if (!context)
        return 2;
    return runPinvane(*context);
}

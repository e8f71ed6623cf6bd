#pragma once

#include "pinvane/shutdown/RunningBrowsers.h"

#include <cstdint>

enum class ShutdownOutcome : int { Proceed = 0, BrowsersRemain = 1, Cancelled = 3 };

// Asks the user (unless dialogs are off) to let the running browsers be closed,
// closes them, and reports whether the run may go on. Proceed only when none of
// the three browsers is running any more.
ShutdownOutcome confirmAndCloseBrowsers(int32_t closeTimeoutSeconds);

// The texts of the two boxes, in the UI language chosen by the caller.
std::wstring confirmationText(const BrowserList& running, bool japanese);
std::wstring couldNotCloseText(const BrowserList& remaining, bool japanese);

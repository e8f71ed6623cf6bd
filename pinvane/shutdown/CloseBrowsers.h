#pragma once

#include "pinvane/shutdown/RunningBrowsers.h"

#include <windows.h>

#include <cstdint>

// The listed browsers' process ids, browser by browser in list order.
ProcessIdList collectBrowserProcessIds(const BrowserList& browsers);

// EnumWindows callback; the parameter points at a ProcessIdList. Posts WM_CLOSE
// to each visible window of those processes and always goes on.
BOOL CALLBACK postCloseToWindows(HWND window, LPARAM processIds);

// Polls every 200 ms; true as soon as no process of the browsers is left, false
// once the limit has passed. The first test is made at once.
bool waitForBrowsersToExit(const BrowserList& browsers, uint32_t limitMilliseconds);

// Asks the windows to close, waits up to the timeout, then terminates what is
// left (exit code 1) and waits another 5 s. True when the browsers are gone.
bool closeBrowsers(const BrowserList& browsers, int32_t timeoutSeconds);

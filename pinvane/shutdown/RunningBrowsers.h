#pragma once

#include "pinvane/support/BrowserTable.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using ProcessIdList = std::vector<uint32_t>;
// Entries of BrowserTable, in table order.
using BrowserList = std::vector<const BrowserId*>;

// Every process of the session whose image name matches, ignoring the case of
// ASCII letters; no filter by user. Empty when the snapshot fails.
ProcessIdList findProcessIdsByImageName(const std::wstring& imageName);

// The browsers of BrowserTable that have at least one process now.
BrowserList listRunningBrowsers();

// "\r\n  ・" before each display name: the list as it stands in boxes and the log.
std::wstring formatBrowserList(const BrowserList& browsers);

// Replaces the process snapshot behind findProcessIdsByImageName, for tests that
// need processes which cannot be staged (one that survives termination, one
// started at a given moment). An empty function restores the snapshot.
using ProcessLookup = std::function<ProcessIdList(const std::wstring& imageName)>;
void setProcessLookup(ProcessLookup lookup);

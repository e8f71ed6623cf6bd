#pragma once

#include "pinvane/run/RunContext.h"

#include <cstdint>
#include <string>
#include <vector>

enum class RollbackState : int32_t { NotChanged = 0, RolledBack = 1, RollbackFailed = 2 };

struct FailureRecord {
    std::wstring browserName;
    RollbackState state = RollbackState::NotChanged;
};

// A whole run; the result is the process exit code (0-3).
int runPinvane(const RunContext& context);

// `logName` is the file name of the run's log, which is not Pinvane.log while
// another run holds that.
std::wstring buildSummaryText(const std::vector<FailureRecord>& failures, bool japanese,
                              const std::wstring& runFolder,
                              const std::wstring& logName = L"Pinvane.log", bool preview = false);

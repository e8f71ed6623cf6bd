#pragma once

#include <string>
#include <vector>

// The lines the reader wrote to the run log since the last RunLog::open.
std::vector<std::wstring>& fuzzLogLines();

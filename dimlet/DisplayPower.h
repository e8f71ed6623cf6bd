#pragma once

#include <windows.h>

#include <array>
#include <string>

class CMenu;

// The display-off timeouts the menu offers, in seconds (0 = never), in menu order; entry i has
// the command ID_TIMEOUT_FIRST + i.
inline constexpr std::array<DWORD, 15> displayOffTimeouts = {
    60, 120, 180, 300, 600, 900, 1200, 1500, 1800, 3600, 7200, 10800, 14400, 18000, 0};

// "Never", whole hours, or minutes, in the current language.
std::wstring timeoutLabel(DWORD seconds);

// Battery (DC) only when Windows says the mains are offline; AC otherwise, even when it
// cannot tell.
bool onBatteryPower();

// Appends one item per table entry and marks the one the active scheme holds for the
// current power source; no mark when it cannot be read or is not in the table.
void appendTimeoutItems(CMenu& menu);

// Writes table entry index for the current power source, re-activates the scheme and tells
// the top-level windows. False when the scheme cannot be had, written or re-activated.
bool applyDisplayOffTimeout(size_t index);

// Where the power status comes from; null restores GetSystemPowerStatus.
using PowerStatusSource = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
void setPowerStatusSource(PowerStatusSource source);

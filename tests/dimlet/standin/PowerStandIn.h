#pragma once

// The stand-in power DLL's state, under HKEY_CURRENT_USER:
//   HasScheme (0: no active scheme), AC and DC (the display-off values, default 600),
//   ReadError, WriteError, ActivateError (error codes to return), and Log: one
//   "event;" per call ("GetActiveScheme", "ReadAC", "WriteDC=300", "SetActiveScheme") and,
//   in a process started with watchVariable set, per message the UI thread takes from its
//   queue ("timer1", "monitor2", "message<n>").

#include <windows.h>

#include <string>

namespace powerstandin {

inline constexpr wchar_t stateKey[] = L"Software\\Dimlet Tests\\Power Stand-in";
inline constexpr wchar_t watchVariable[] = L"DIMLET_STANDIN_WATCH";

inline DWORD readValue(const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, stateKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return fallback;
    return value;
}

inline void writeValue(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, stateKey, name, REG_DWORD, &value, sizeof(value));
}

inline std::wstring readLog() {
    wchar_t log[16384] = {};
    DWORD size = sizeof(log) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, stateKey, L"Log", RRF_RT_REG_SZ, nullptr, log, &size) !=
        ERROR_SUCCESS)
        return {};
    return log;
}

} // namespace powerstandin

#pragma once

// The stand-in power DLL's state, under HKEY_CURRENT_USER:
//   HasScheme (0: no active scheme), AC and DC (the display-off values, default 600),
//   ReadError, WriteError, ActivateError (error codes to return), and Log: one
//   "event;" per call ("GetActiveScheme", "ReadAC", "WriteDC=300", "SetActiveScheme") and,
//   in a process started with watchVariable set, per message the UI thread takes from its
//   queue ("timer1", "monitor2", "message<n>").
namespace powerstandin {
inline constexpr wchar_t stateKey[] = L"Software\\Dimlet Tests\\Power Stand-in";
inline constexpr wchar_t watchVariable[] = L"DIMLET_STANDIN_WATCH";
} // namespace powerstandin

// A test-only powrprof.dll: the power scheme Dimlet reads and writes lives in registry values
// that the tests set, and every call is noted there, so the shipped code runs unchanged.
// Loaded only through a DLL override in the test process; never shipped.

#include "tests/dimlet/standin/PowerStandIn.h"

#include <windows.h>

#include <string>

namespace {

constexpr GUID videoSubgroup = {
    0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID videoPowerdownTimeout = {
    0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}};
// "Balanced", as a Windows machine would have it.
constexpr GUID activeSchemeId = {
    0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};

using powerstandin::readValue;
using powerstandin::writeValue;

void note(const std::wstring& event) {
    const std::wstring text = powerstandin::readLog() + event + L";";
    RegSetKeyValueW(HKEY_CURRENT_USER, powerstandin::stateKey, L"Log", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool isDisplayTimeout(const GUID* scheme, const GUID* subgroup, const GUID* setting) {
    return scheme && subgroup && setting && IsEqualGUID(*scheme, activeSchemeId) &&
           IsEqualGUID(*subgroup, videoSubgroup) && IsEqualGUID(*setting, videoPowerdownTimeout);
}

DWORD readIndex(const wchar_t* source, const GUID* scheme, const GUID* subgroup,
                const GUID* setting, DWORD* value) {
    note(std::wstring(L"Read") + source);
    if (!isDisplayTimeout(scheme, subgroup, setting) || !value)
        return ERROR_INVALID_PARAMETER;
    if (const DWORD error = readValue(L"ReadError", 0))
        return error;
    *value = readValue(source, 600);
    return ERROR_SUCCESS;
}

DWORD writeIndex(const wchar_t* source, const GUID* scheme, const GUID* subgroup,
                 const GUID* setting, DWORD value) {
    note(std::wstring(L"Write") + source + L"=" + std::to_wstring(value));
    if (!isDisplayTimeout(scheme, subgroup, setting))
        return ERROR_INVALID_PARAMETER;
    if (const DWORD error = readValue(L"WriteError", 0))
        return error;
    writeValue(source, value);
    return ERROR_SUCCESS;
}

// Notes the messages the UI thread takes from its queue, for the order of timer and
// display-off post and for the idle check.
LRESULT CALLBACK watchQueue(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        if (message.message == WM_TIMER)
            note(L"timer" + std::to_wstring(message.wParam));
        else if (message.message == WM_SYSCOMMAND && (message.wParam & 0xFFF0) == SC_MONITORPOWER)
            note(L"monitor" + std::to_wstring(message.lParam));
        else
            note(L"message" + std::to_wstring(message.message));
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH &&
        GetEnvironmentVariableW(powerstandin::watchVariable, nullptr, 0) > 0)
        SetWindowsHookExW(WH_GETMESSAGE, watchQueue, dll, GetCurrentThreadId());
    return TRUE;
}

// Tells a test that this DLL, not the system's, is the one loaded.
__declspec(dllexport) void PowerStandInLoaded() {}

__declspec(dllexport) DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** scheme) {
    note(L"GetActiveScheme");
    if (!scheme)
        return ERROR_INVALID_PARAMETER;
    if (!readValue(L"HasScheme", 1))
        return ERROR_FILE_NOT_FOUND;
    *scheme = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (!*scheme)
        return ERROR_NOT_ENOUGH_MEMORY;
    **scheme = activeSchemeId;
    return ERROR_SUCCESS;
}

__declspec(dllexport) DWORD WINAPI
    PowerReadACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                          DWORD* value) {
    return readIndex(L"AC", scheme, subgroup, setting, value);
}

__declspec(dllexport) DWORD WINAPI
    PowerReadDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                          DWORD* value) {
    return readIndex(L"DC", scheme, subgroup, setting, value);
}

__declspec(dllexport) DWORD WINAPI
    PowerWriteACValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                           DWORD value) {
    return writeIndex(L"AC", scheme, subgroup, setting, value);
}

__declspec(dllexport) DWORD WINAPI
    PowerWriteDCValueIndex(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting,
                           DWORD value) {
    return writeIndex(L"DC", scheme, subgroup, setting, value);
}

__declspec(dllexport) DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    note(L"SetActiveScheme");
    if (!scheme || !IsEqualGUID(*scheme, activeSchemeId))
        return ERROR_INVALID_PARAMETER;
    return readValue(L"ActivateError", 0);
}

} // extern "C"

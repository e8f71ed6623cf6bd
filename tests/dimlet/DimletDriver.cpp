#include "tests/dimlet/DimletDriver.h"

#include "tests/dimlet/DimletTest.h"
#include "tests/dimlet/standin/PowerStandIn.h"

namespace dimlettest {

namespace {

constexpr wchar_t dimletSettingsKey[] = L"Software\\Velkor Software\\Dimlet\\Settings";
constexpr wchar_t dimletKey[] = L"Software\\Velkor Software\\Dimlet";

// This process's environment with the given variables added or replaced.
std::wstring environmentWith(const std::vector<std::wstring>& extra) {
    std::wstring block;
    const wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* at = current; *at; at += wcslen(at) + 1) {
        const std::wstring entry = at;
        bool replaced = false;
        for (const std::wstring& add : extra)
            replaced = replaced || _wcsnicmp(entry.c_str(), add.c_str(), add.find(L'=') + 1) == 0;
        if (!replaced)
            block += entry + L'\0';
    }
    FreeEnvironmentStringsW(const_cast<wchar_t*>(current));
    for (const std::wstring& add : extra)
        block += add + L'\0';
    return block + L'\0';
}

} // namespace

bool waitFor(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() > deadline)
            return done();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
    return true;
}

DimletProcess::DimletProcess(std::vector<std::wstring> environment, std::wstring exePath) {
    if (exePath.empty())
        exePath = dimletExePath();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    std::wstring block = environmentWith(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        process.reset(info.hProcess);
        CloseHandle(info.hThread);
        processId = info.dwProcessId;
    }
}

DimletProcess::~DimletProcess() {
    if (running()) {
        TerminateProcess(process.get(), 99);
        WaitForSingleObject(process.get(), 5000);
    }
}

bool DimletProcess::running() const {
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

HWND DimletProcess::findTopLevel(const wchar_t* windowClass, const std::wstring& caption) const {
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, windowClass, caption.c_str()); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, windowClass, caption.c_str())) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId)
            return hwnd;
    }
    return nullptr;
}

HWND DimletProcess::window() const {
    return findTopLevel(nullptr, L"Dimlet");
}

HWND DimletProcess::waitForTopLevel(const wchar_t* windowClass, const std::wstring& caption) const {
    HWND found = nullptr;
    waitFor([&] { return (found = findTopLevel(windowClass, caption)) != nullptr || !running(); });
    return found;
}

HWND DimletProcess::waitForWindow() const {
    return waitForTopLevel(nullptr, L"Dimlet");
}

bool DimletProcess::waitForExit(DWORD milliseconds, bool* hadWindow) const {
    return waitFor(
        [&] {
            if (hadWindow && window())
                *hadWindow = true;
            return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
        },
        milliseconds);
}

DWORD DimletProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

void storeDimletLanguage(long value) {
    clearDimletSettings();
    const DWORD data = static_cast<DWORD>(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, dimletSettingsKey, L"Language", REG_DWORD, &data,
                    sizeof(data));
}

long storedDimletLanguage() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, dimletSettingsKey, L"Language", RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(value);
}

void clearDimletSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, dimletKey);
}

void resetPowerStandIn() {
    RegDeleteTreeW(HKEY_CURRENT_USER, powerstandin::stateKey);
    setPowerStandIn(L"AC", 600);
    setPowerStandIn(L"DC", 600);
}

void setPowerStandIn(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, powerstandin::stateKey, name, REG_DWORD, &value,
                    sizeof(value));
}

DWORD powerStandIn(const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, powerstandin::stateKey, name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return fallback;
    return value;
}

std::wstring powerStandInLog() {
    wchar_t log[16384] = {};
    DWORD size = sizeof(log) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, powerstandin::stateKey, L"Log", RRF_RT_REG_SZ, nullptr, log,
                     &size) != ERROR_SUCCESS)
        return {};
    return log;
}

int trayIconCount() {
    int count = 0;
    EnumWindows(
        [](HWND top, LPARAM found) -> BOOL {
            const auto countIcon = [](HWND hwnd, LPARAM found) -> BOOL {
                wchar_t name[64] = {};
                GetClassNameW(hwnd, name, 64);
                if (wcscmp(name, L"__winex11_tray_icon") == 0 && IsWindowVisible(hwnd))
                    ++*reinterpret_cast<int*>(found);
                return TRUE;
            };
            countIcon(top, found);
            EnumChildWindows(top, countIcon, found);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace dimlettest

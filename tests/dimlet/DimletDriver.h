#pragma once

// Drives a real Dimlet.exe from outside: starts it, finds its hidden window and its boxes,
// reads and answers them, and keeps the registry values it and the power stand-in use.

#include "common/UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace dimlettest {

// Waits for a condition with a generous deadline; true once it holds.
bool waitFor(const std::function<bool()>& done, DWORD milliseconds = 20000);

// A Dimlet.exe started by the test, terminated if a failed check leaves it running.
class DimletProcess {
public:
    // Extra environment as "NAME=value".
    explicit DimletProcess(std::vector<std::wstring> environment = {}, std::wstring exePath = {});
    ~DimletProcess();
    DimletProcess(const DimletProcess&) = delete;
    DimletProcess& operator=(const DimletProcess&) = delete;

    bool started() const { return static_cast<bool>(process); }
    bool running() const;
    DWORD id() const { return processId; }
    // Its top-level window titled "Dimlet", if it has one.
    HWND window() const;
    HWND waitForWindow() const;
    // Sends a menu command that opens a box and returns the box once it is shown.
    HWND openBox(UINT command, const std::wstring& caption) const;
    // A top-level window of this process with this class (null: any) and caption.
    HWND findTopLevel(const wchar_t* windowClass, const std::wstring& caption) const;
    // The same once it shows up; null if it does not or the process ends.
    HWND waitForTopLevel(const wchar_t* windowClass, const std::wstring& caption) const;
    bool waitForExit(DWORD milliseconds, bool* hadWindow = nullptr) const;
    DWORD exitCode() const;
    // Chooses Exit; true once the process has ended with 0.
    bool exitFromMenu();

private:
    KernelHandle process;
    DWORD processId = 0;
};

std::wstring windowText(HWND window);
std::wstring itemText(HWND dialog, int id);

// Dimlet's "Language" value; absent is -1 here.
void storeDimletLanguage(long value);
long storedDimletLanguage();
void clearDimletSettings();

// The power stand-in's state (see standin/PowerStandIn.h).
void resetPowerStandIn();
void setPowerStandIn(const wchar_t* name, DWORD value);
DWORD powerStandIn(const wchar_t* name, DWORD fallback = 0xFFFFFFFF);
std::wstring powerStandInLog();

// The tray icons Wine shows (one window each).
int trayIconCount();

// What the screen shows of a window, as a PNG file, for a person to look at.
bool saveWindowImage(HWND window, const std::wstring& path);
// Where a test run keeps such files: test-output in the build folder.
std::wstring testOutputFolder();

} // namespace dimlettest

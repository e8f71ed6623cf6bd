#pragma once

#include <windows.h>

#include <string>

class CWnd;

// The application object: one per process, constructed before the entry point runs.
class CWinApp {
public:
    // Without a name the application is named after the executable, without its extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* current();

    const std::wstring& appName() const { return name; }

    // Start-up step: false ends the process at once, after the exit step.
    virtual bool initInstance() { return true; }
    // Exit step: its result is the process exit code.
    virtual int exitInstance() { return quitCode; }
    // The message loop, until WM_QUIT; then the exit step.
    int run();

    // The profile lives under HKEY_CURRENT_USER\Software\<key>\<application name>\<section>.
    void setRegistryKey(const wchar_t* key) { registryKey = key; }
    UINT getProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    bool writeProfileInt(const wchar_t* section, const wchar_t* entry, int value);

    CWnd* mainWindow() const { return mainWnd; }
    void setMainWindow(CWnd* window) { mainWnd = window; }

private:
    std::wstring profilePath(const wchar_t* section) const;

    std::wstring name;
    std::wstring registryKey;
    CWnd* mainWnd = nullptr;
    int quitCode = 0;
};

// The module whose resources (strings, templates, bitmaps) the application uses; the
// executable unless set otherwise.
HINSTANCE resourceHandle();
void setResourceHandle(HINSTANCE module);

// The body of the entry point: start-up, message loop, exit.
int runApplication();

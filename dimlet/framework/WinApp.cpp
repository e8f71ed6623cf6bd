#include "dimlet/framework/WinApp.h"

#include "common/UniqueHandle.h"
#include "dimlet/framework/Wnd.h"

namespace {

CWinApp* theApplication = nullptr;
HINSTANCE resourceModule = nullptr;

std::wstring executableBaseName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const size_t dot = name.rfind(L'.'); dot != std::wstring::npos)
        name.erase(dot);
    return name;
}

} // namespace

CWinApp::CWinApp(const wchar_t* appName) : name(appName ? appName : executableBaseName()) {
    theApplication = this;
}

CWinApp::~CWinApp() {
    if (theApplication == this)
        theApplication = nullptr;
}

CWinApp* CWinApp::current() {
    return theApplication;
}

int CWinApp::run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (message.message == WM_QUIT)
        quitCode = static_cast<int>(message.wParam);
    return exitInstance();
}

std::wstring CWinApp::profilePath(const wchar_t* section) const {
    return L"Software\\" + registryKey + L"\\" + name + L"\\" + section;
}

UINT CWinApp::getProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    const UINT fallback = static_cast<UINT>(defaultValue);
    if (registryKey.empty())
        return fallback;
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, profilePath(section).c_str(), 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return fallback;
    return value;
}

bool CWinApp::writeProfileInt(const wchar_t* section, const wchar_t* entry, int value) {
    if (registryKey.empty())
        return false;
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, profilePath(section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExW(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

HINSTANCE resourceHandle() {
    return resourceModule ? resourceModule : GetModuleHandleW(nullptr);
}

void setResourceHandle(HINSTANCE module) {
    resourceModule = module;
}

int runApplication() {
    CWinApp* app = CWinApp::current();
    if (!app)
        return -1;
    if (!app->initInstance()) {
        if (CWnd* window = app->mainWindow())
            window->destroyWindow();
        return app->exitInstance();
    }
    return app->run();
}

#include "dimlet/DimletApp.h"

#include "dimlet/Language.h"
#include "dimlet/TrayWnd.h"

#include <memory>

const UINT taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

CDimletApp::~CDimletApp() = default;

bool CDimletApp::initInstance() {
    if (!CWinApp::initInstance())
        return false;
    setRegistryKey(L"Velkor Software");
    loadLanguageSetting(*this);

    // The "Local" namespace keeps one copy per logon session.
    singleInstanceMutex.reset(CreateMutexW(nullptr, TRUE, L"Local\\Dimlet.SingleInstance"));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false;

    auto window = std::make_unique<CTrayWnd>();
    if (!window->create())
        return false;
    setMainWindow(window.release()); // deletes itself once its window is destroyed
    return true;
}

int CDimletApp::exitInstance() {
    singleInstanceMutex.reset();
    return CWinApp::exitInstance();
}

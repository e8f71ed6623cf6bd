#pragma once

#include "common/UniqueHandle.h"
#include "dimlet/framework/WinApp.h"

// The shell broadcasts this when the taskbar is re-created.
extern const UINT taskbarCreatedMessage;

class CDimletApp : public CWinApp {
public:
    CDimletApp() = default;
    ~CDimletApp() override;

    bool initInstance() override;
    int exitInstance() override;

private:
    KernelHandle singleInstanceMutex;
};

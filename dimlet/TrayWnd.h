#pragma once

#include "common/UniqueHandle.h"
#include "dimlet/framework/Wnd.h"

#include <shellapi.h>

class CMenu;
class CAboutDlg;

// Dimlet's one window: hidden, the owner of the tray icon and of its menu's commands. Its
// destruction removes the icon and ends the message loop; the object then deletes itself.
class CTrayWnd : public CWnd {
public:
    bool create();

protected:
    const MessageMap& messageMap() const override;
    void postNcDestroy() override { delete this; }

private:
    LRESULT onCreate(WPARAM, LPARAM);
    LRESULT onDestroy(WPARAM, LPARAM);
    LRESULT onTaskbarCreated(WPARAM, LPARAM);
    LRESULT onNotifyIcon(WPARAM, LPARAM);
    LRESULT onTimer(WPARAM, LPARAM);
    void onDisplayOff(UINT);
    void onTimeout(UINT id);
    void onCheckUpdates(UINT);
    void onAbout(UINT);
    void onExit(UINT);
    void onLanguage(UINT id);
    void showMenu();

    NOTIFYICONDATAW notifyIcon{};
    IconHandle icon;
    CAboutDlg* openAbout = nullptr;
};

// The tray menu as a right click shows it, with its two submenus, built afresh.
void buildTrayMenu(CMenu& menu);

// The icon's callback message.
inline constexpr UINT trayCallbackMessage = WM_APP + 1;

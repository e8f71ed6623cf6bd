#include "dimlet/DimletApp.h"
#include "dimlet/framework/Dialog.h"
#include "dimlet/framework/Gdi.h"
#include "dimlet/framework/Menu.h"
#include "dimlet/framework/Wnd.h"
#include "tests/dimlet/DimletTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT appMessage = WM_APP + 1;

// Records what reached which handler.
struct Calls {
    int created = 0;
    int destroyed = 0;
    int afterDestruction = 0;
    std::vector<WPARAM> timers;
    std::vector<UINT> commands;
    std::vector<UINT> rangeCommands;
    std::vector<LPARAM> appMessages;
    int taskbarCreated = 0;
};

class CProbeWnd : public CWnd {
public:
    explicit CProbeWnd(Calls& calls, LRESULT createResult = 0)
        : calls(calls), createResult(createResult) {}

    bool create() {
        return createEx(0, registerWindowClass(), L"Probe", WS_POPUP, RECT{}, nullptr, nullptr);
    }

protected:
    const MessageMap& messageMap() const override {
        static const MessageEntry entries[] = {
            onMessage(WM_CREATE, &CProbeWnd::onCreate),
            onMessage(WM_DESTROY, &CProbeWnd::onDestroy),
            onMessage(WM_TIMER, &CProbeWnd::onTimer),
            onMessage(appMessage, &CProbeWnd::onAppMessage),
            onRegisteredMessage(taskbarCreatedMessage, &CProbeWnd::onTaskbarCreated),
            onCommand(40000, &CProbeWnd::onSingleCommand),
            onCommandRange(40001, 40099, &CProbeWnd::onRangeCommand),
        };
        static const MessageMap map{&CWnd::messageMap(), entries};
        return map;
    }
    void postNcDestroy() override { ++calls.afterDestruction; }

    Calls& calls;

private:
    LRESULT onCreate(WPARAM, LPARAM) {
        ++calls.created;
        return defaultProc() == -1 ? -1 : createResult;
    }
    LRESULT onDestroy(WPARAM, LPARAM) {
        ++calls.destroyed;
        return defaultProc();
    }
    LRESULT onTimer(WPARAM id, LPARAM) {
        calls.timers.push_back(id);
        KillTimer(handle(), id);
        return 0;
    }
    LRESULT onAppMessage(WPARAM, LPARAM lParam) {
        calls.appMessages.push_back(lParam);
        return 7;
    }
    LRESULT onTaskbarCreated(WPARAM, LPARAM) {
        ++calls.taskbarCreated;
        return 11;
    }
    void onSingleCommand(UINT id) { calls.commands.push_back(id); }
    void onRangeCommand(UINT id) { calls.rangeCommands.push_back(id); }

    LRESULT createResult;
};

// Its own map comes before the base's.
class CDerivedProbeWnd : public CProbeWnd {
public:
    using CProbeWnd::CProbeWnd;
    std::vector<WPARAM> ownTimers;

protected:
    const MessageMap& messageMap() const override {
        static const MessageEntry entries[] = {
            onMessage(WM_TIMER, &CDerivedProbeWnd::onTimer),
        };
        static const MessageMap map{&CProbeWnd::messageMap(), entries};
        return map;
    }

private:
    LRESULT onTimer(WPARAM id, LPARAM) {
        ownTimers.push_back(id);
        return 0;
    }
};

WPARAM command(UINT id) {
    return MAKEWPARAM(id, 0);
}

void pumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 5000;
    MSG message{};
    while (!done() && GetTickCount64() < deadline) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(5);
    }
}

} // namespace

TEST(FrameworkDispatch, RoutesEachMappedMessageToItsHandler) {
    Calls calls;
    CProbeWnd window(calls);
    ASSERT_TRUE(window.create());
    const HWND hwnd = window.handle();
    EXPECT_EQ(calls.created, 1);
    EXPECT_FALSE(IsWindowVisible(hwnd));

    // A real timer arrives through the queue.
    SetTimer(hwnd, 3, 10, nullptr);
    pumpUntil([&] { return !calls.timers.empty(); });
    EXPECT_EQ(calls.timers, std::vector<WPARAM>{3});

    EXPECT_EQ(SendMessageW(hwnd, appMessage, 0, WM_RBUTTONUP), 7);
    EXPECT_EQ(calls.appMessages, std::vector<LPARAM>{WM_RBUTTONUP});
    ASSERT_NE(taskbarCreatedMessage, 0u);
    EXPECT_EQ(SendMessageW(hwnd, taskbarCreatedMessage, 0, 0), 11);
    EXPECT_EQ(calls.taskbarCreated, 1);

    for (UINT id : {39999u, 40000u, 40001u, 40015u, 40099u, 40100u})
        SendMessageW(hwnd, WM_COMMAND, command(id), 0);
    EXPECT_EQ(calls.commands, std::vector<UINT>{40000});
    EXPECT_EQ(calls.rangeCommands, (std::vector<UINT>{40001, 40015, 40099}));

    // A control notification other than code 0 is not a command.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(40000, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
    EXPECT_EQ(calls.commands.size(), 1u);

    EXPECT_TRUE(window.destroyWindow());
    EXPECT_EQ(calls.destroyed, 1);
    EXPECT_EQ(calls.afterDestruction, 1);
    EXPECT_EQ(window.handle(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(FrameworkDispatch, UnmappedMessagesGetDefaultProcessing) {
    Calls calls;
    CProbeWnd window(calls);
    ASSERT_TRUE(window.create());
    EXPECT_TRUE(SendMessageW(window.handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Changed")));
    wchar_t title[32] = {};
    GetWindowTextW(window.handle(), title, 32);
    EXPECT_STREQ(title, L"Changed");
    EXPECT_EQ(SendMessageW(window.handle(), WM_NCHITTEST, 0, 0),
              DefWindowProcW(window.handle(), WM_NCHITTEST, 0, 0));
    EXPECT_TRUE(calls.timers.empty());
    EXPECT_TRUE(calls.appMessages.empty());
}

TEST(FrameworkDispatch, DerivedMapIsSearchedBeforeItsBase) {
    Calls calls;
    CDerivedProbeWnd window(calls);
    ASSERT_TRUE(window.create());
    SendMessageW(window.handle(), WM_TIMER, 9, 0);
    SendMessageW(window.handle(), WM_COMMAND, command(40000), 0);
    EXPECT_EQ(window.ownTimers, std::vector<WPARAM>{9});
    EXPECT_TRUE(calls.timers.empty());
    EXPECT_EQ(calls.commands, std::vector<UINT>{40000});
}

TEST(FrameworkDispatch, WindowRefusedInCreationStaysWithTheCaller) {
    Calls calls;
    auto* window = new CProbeWnd(calls, -1);
    EXPECT_FALSE(window->create());
    EXPECT_EQ(calls.created, 1);
    EXPECT_EQ(calls.afterDestruction, 0); // a self-deleting window would otherwise be gone
    EXPECT_EQ(window->handle(), nullptr);
    delete window;
}

namespace {

// Destroys its own window from a handler nested in another of its handlers, as Exit chosen
// while the About box runs its modal loop does.
class CNestedDestroyProbe : public CProbeWnd {
public:
    using CProbeWnd::CProbeWnd;
    int afterDestructionSeenInside = -1;

protected:
    const MessageMap& messageMap() const override {
        static const MessageEntry entries[] = {
            onCommand(40000, &CNestedDestroyProbe::onOuter),
            onCommand(40001, &CNestedDestroyProbe::onInner),
        };
        static const MessageMap map{&CProbeWnd::messageMap(), entries};
        return map;
    }

private:
    void onOuter(UINT) {
        SendMessageW(handle(), WM_COMMAND, 40001, 0);
        afterDestructionSeenInside = calls.afterDestruction;
    }
    void onInner(UINT) { destroyWindow(); }
};

} // namespace

TEST(FrameworkDispatch, WindowDestroyedInANestedHandlerIsLetGoOnlyAfterTheOuterOne) {
    Calls calls;
    CNestedDestroyProbe window(calls);
    ASSERT_TRUE(window.create());
    const HWND hwnd = window.handle();
    SendMessageW(hwnd, WM_COMMAND, 40000, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(calls.destroyed, 1);
    EXPECT_EQ(window.afterDestructionSeenInside, 0); // the outer handler still had its object
    EXPECT_EQ(calls.afterDestruction, 1);
}

TEST(FrameworkDispatch, DestroyingTheObjectDestroysItsWindow) {
    Calls calls;
    HWND hwnd = nullptr;
    {
        CProbeWnd window(calls);
        ASSERT_TRUE(window.create());
        hwnd = window.handle();
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

namespace {

struct DialogRun {
    HWND owner = nullptr;
    int initialised = 0;
    int linkClicks = 0;
    HBRUSH staticBrush = nullptr;
};

// The About template from Dimlet.exe, ended by whatever message the test posts.
class CProbeDialog : public CDialog {
public:
    CProbeDialog(DialogRun& run, UINT endMessage, WPARAM endWParam)
        : CDialog(100), run(run), endMessage(endMessage), endWParam(endWParam) {}

protected:
    const MessageMap& messageMap() const override {
        static const MessageEntry entries[] = {
            onMessage(WM_CTLCOLORSTATIC, &CProbeDialog::onCtlColor),
            onCommand(1011, &CProbeDialog::onLinkClicked),
        };
        static const MessageMap map{&CDialog::messageMap(), entries};
        return map;
    }

    bool onInitDialog() override {
        CDialog::onInitDialog();
        ++run.initialised;
        run.owner = GetWindow(handle(), GW_OWNER);
        const HWND link = GetDlgItem(handle(), 1011);
        const HDC dc = GetDC(link);
        SendMessageW(handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(link));
        ReleaseDC(link, dc);
        PostMessageW(handle(), WM_COMMAND, MAKEWPARAM(1011, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        PostMessageW(handle(), endMessage, endWParam, 0);
        return true;
    }

private:
    LRESULT onCtlColor(WPARAM dc, LPARAM) {
        run.staticBrush = reinterpret_cast<HBRUSH>(defaultProc());
        CDC(reinterpret_cast<HDC>(dc)).setTextColor(RGB(0, 0, 255));
        return reinterpret_cast<LRESULT>(run.staticBrush);
    }
    void onLinkClicked(UINT) { ++run.linkClicks; }

    DialogRun& run;
    UINT endMessage;
    WPARAM endWParam;
};

} // namespace

TEST(FrameworkDialog, RunsModallyOwnedByTheMainWindowUntilClosed) {
    dimlettest::DimletResources resources;
    ASSERT_NE(resources.module(), nullptr);
    CWinApp app(L"DialogTest");
    Calls calls;
    CProbeWnd mainWindow(calls);
    ASSERT_TRUE(mainWindow.create());
    app.setMainWindow(&mainWindow);

    struct Case {
        const char* how;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK", WM_COMMAND, IDOK, IDOK},
        {"close box", WM_CLOSE, 0, IDCANCEL},
        {"IDCANCEL, as Esc sends", WM_COMMAND, IDCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        DialogRun run;
        CProbeDialog dialog(run, c.message, c.wParam);
        EXPECT_EQ(dialog.doModal(), c.result);
        EXPECT_EQ(run.initialised, 1);
        EXPECT_EQ(run.owner, mainWindow.handle());
        EXPECT_EQ(run.linkClicks, 1);
        EXPECT_NE(run.staticBrush, nullptr);
        EXPECT_EQ(dialog.handle(), nullptr);
    }
    app.setMainWindow(nullptr);
}

TEST(FrameworkWrappers, ReleaseTheirHandles) {
    HGDIOBJ font = nullptr;
    HMENU popup = nullptr;
    HMENU parentMenu = nullptr;
    {
        CFont owned;
        LOGFONTW description{};
        description.lfHeight = -12;
        ASSERT_TRUE(owned.createFontIndirect(description));
        font = owned.handle();
        EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));

        CMenu sub;
        CMenu main;
        ASSERT_TRUE(sub.createPopupMenu());
        ASSERT_TRUE(main.createPopupMenu());
        ASSERT_TRUE(sub.appendMenu(MF_STRING, 40103, L"A"));
        ASSERT_TRUE(sub.appendMenu(MF_STRING, 40104, L"B"));
        ASSERT_TRUE(main.appendPopup(sub, L"Sub"));
        EXPECT_TRUE(main.checkMenuRadioItem(40103, 40104, 40104));
        EXPECT_EQ(GetMenuState(main.handle(), 40104, MF_BYCOMMAND) & MF_CHECKED,
                  static_cast<UINT>(MF_CHECKED));
        popup = sub.handle();
        parentMenu = main.handle();
    }
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_FALSE(IsMenu(parentMenu));
    EXPECT_FALSE(IsMenu(popup));
}

TEST(FrameworkWrappers, BitmapComesFromTheResourceModule) {
    dimlettest::DimletResources resources;
    CBitmap logo;
    ASSERT_TRUE(logo.loadBitmap(129));
    BITMAP info{};
    ASSERT_TRUE(logo.getBitmap(info));
    EXPECT_EQ(info.bmWidth, 72);
    EXPECT_EQ(info.bmHeight, 88);
    CBitmap missing;
    EXPECT_FALSE(missing.loadBitmap(999));
}

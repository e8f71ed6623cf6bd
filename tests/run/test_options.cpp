#include "pinvane/support/BrowserTable.h"
#include "pinvane/run/RunContext.h"

#include <gtest/gtest.h>

namespace {

struct OptionCase {
    std::vector<std::wstring> arguments;
    std::wstring settingsPath;
    std::wstring chrome;
    std::wstring edge;
    std::wstring firefox;
    bool processCheck;
    bool dialogs;
};

RunContext defaults() {
    RunContext context;
    context.settingsPath = L"C:\\app\\Pinvane.ini";
    context.firefoxDir = L"C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox";
    return context;
}

} // namespace

TEST(CommandLine, OptionTable) {
    const std::wstring ini = L"C:\\app\\Pinvane.ini";
    const std::wstring fx = L"C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox";
    const OptionCase cases[] = {
        {{}, ini, L"", L"", fx, true, true},
        {{L"--no-dialog"}, ini, L"", L"", fx, true, false},
        {{L"--NO-DIALOG"}, L"--NO-DIALOG", L"", L"", fx, true, true},
        {{L"--no-dialogs"}, L"--no-dialogs", L"", L"", fx, true, true},
        {{L"--no-process-check"}, ini, L"", L"", fx, false, true},
        {{L"--chrome-dir"}, L"--chrome-dir", L"", L"", fx, true, true},
        {{L"--chrome-dir=D:\\c", L"--edge-dir=D:\\e"}, ini, L"D:\\c", L"D:\\e", fx, true, true},
        {{L"--chrome-dir=D:\\a", L"--chrome-dir=D:\\b"}, ini, L"D:\\b", L"", fx, true, true},
        {{L"--chrome-dir=D:\\a", L"--chrome-dir="}, ini, L"", L"", fx, true, true},
        {{L"--firefox-dir="}, ini, L"", L"", L"", true, true},
        {{L"--firefox-dir=E:\\ff"}, ini, L"", L"", L"E:\\ff", true, true},
        {{L"--chrome-dir=${profile}\\x"}, ini, L"${profile}\\x", L"", fx, true, true},
        {{L"a.ini", L"b.ini"}, L"b.ini", L"", L"", fx, true, true},
        {{L"--edge-dir= spaced "}, ini, L"", L" spaced ", fx, true, true},
        {{L"--no-dialog", L"x.ini", L"--no-process-check"}, L"x.ini", L"", L"", fx, false, false},
        {{L""}, L"", L"", L"", fx, true, true},
    };
    for (const OptionCase& c : cases) {
        dialogsEnabled = true;
        RunContext context = defaults();
        applyCommandLine(c.arguments, context);
        std::wstring joined;
        for (const auto& a : c.arguments)
            joined += L"[" + a + L"]";
        SCOPED_TRACE(std::string(joined.begin(), joined.end()));
        EXPECT_EQ(context.settingsPath, c.settingsPath);
        EXPECT_EQ(context.chromeUserDataDir, c.chrome);
        EXPECT_EQ(context.edgeUserDataDir, c.edge);
        EXPECT_EQ(context.firefoxDir, c.firefox);
        EXPECT_EQ(context.processCheck, c.processCheck);
        EXPECT_EQ(dialogsEnabled, c.dialogs);
    }
    dialogsEnabled = true;
}

TEST(CommandLine, DataDirOptionIsTakenUnexpandedHere) {
    const struct {
        std::vector<std::wstring> arguments;
        std::wstring dataFolder;
        std::wstring settingsPath;
    } cases[] = {
        {{L"--data-dir=%LOCALAPPDATA%\\Pinvane"},
         L"%LOCALAPPDATA%\\Pinvane",
         L"C:\\app\\Pinvane.ini"},
        {{L"--data-dir=D:\\a", L"--data-dir=D:\\b"}, L"D:\\b", L"C:\\app\\Pinvane.ini"},
        {{L"--data-dir=D:\\a", L"--data-dir="}, L"", L"C:\\app\\Pinvane.ini"},
        {{L"--data-dir"}, L"", L"--data-dir"},
        {{L"--DATA-DIR=D:\\a"}, L"", L"--DATA-DIR=D:\\a"},
    };
    for (const auto& c : cases) {
        RunContext context = defaults();
        applyCommandLine(c.arguments, context);
        EXPECT_EQ(context.dataFolder, c.dataFolder);
        EXPECT_EQ(context.settingsPath, c.settingsPath);
    }
}

TEST(CommandLine, ExeFolderIsCutAtTheLastBackslash) {
    EXPECT_EQ(folderOfModulePath(L"C:\\Tools\\Pinvane\\Pinvane.exe"), L"C:\\Tools\\Pinvane");
    // A forward slash is no separator here.
    EXPECT_EQ(folderOfModulePath(L"C:\\Tools/sub/Pinvane.exe"), L"C:");
}

TEST(BrowserTable, FixedOrder) {
    ASSERT_EQ(BrowserTable.size(), 3u);
    EXPECT_EQ(BrowserTable[0].displayName, L"Edge");
    EXPECT_EQ(BrowserTable[0].processImageName, L"msedge.exe");
    EXPECT_EQ(BrowserTable[1].displayName, L"Chrome");
    EXPECT_EQ(BrowserTable[1].processImageName, L"chrome.exe");
    EXPECT_EQ(BrowserTable[2].displayName, L"Firefox");
    EXPECT_EQ(BrowserTable[2].processImageName, L"firefox.exe");
}

TEST(CommandLine, PreviewChangesNothingElse) {
    RunContext context = defaults();
    applyCommandLine({L"--preview", L"x.ini"}, context);
    EXPECT_TRUE(context.preview);
    EXPECT_TRUE(context.processCheck);
    EXPECT_EQ(context.settingsPath, L"x.ini");

    context = defaults();
    applyCommandLine({L"--Preview"}, context);
    EXPECT_FALSE(context.preview);
    EXPECT_EQ(context.settingsPath, L"--Preview");
}

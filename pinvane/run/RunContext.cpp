#include "pinvane/run/RunContext.h"

#include "pinvane/locate/UserDataDir.h"
#include "pinvane/support/BrowserTable.h"
#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

std::wstring folderOfModulePath(const std::wstring& modulePath) {
    const size_t backslash = modulePath.rfind(L'\\');
    // Does not occur on Windows; the current directory is the sensible fallback.
    if (backslash == std::wstring::npos)
        return L".";
    return modulePath.substr(0, backslash);
}

void applyCommandLine(const std::vector<std::wstring>& arguments, RunContext& context) {
    static const std::wstring chromeOption = L"--chrome-dir=";
    static const std::wstring edgeOption = L"--edge-dir=";
    static const std::wstring firefoxOption = L"--firefox-dir=";
    static const std::wstring dataOption = L"--data-dir=";
    for (const std::wstring& argument : arguments) {
        if (argument.starts_with(chromeOption))
            context.chromeUserDataDir = argument.substr(chromeOption.size());
        else if (argument.starts_with(edgeOption))
            context.edgeUserDataDir = argument.substr(edgeOption.size());
        else if (argument.starts_with(firefoxOption))
            context.firefoxDir = argument.substr(firefoxOption.size());
        else if (argument.starts_with(dataOption))
            context.dataFolder = argument.substr(dataOption.size());
        else if (argument == L"--no-process-check")
            context.processCheck = false;
        else if (argument == L"--no-dialog")
            dialogsEnabled = false;
        else if (argument == L"--preview")
            context.preview = true;
        else
            context.settingsPath = argument;
    }
}

namespace {

// The executable's folder unless --data-dir names another, which is created when
// missing.
bool settleDataFolder(RunContext& context) {
    if (context.dataFolder.empty()) {
        context.dataFolder = context.exeFolder;
        return true;
    }
    context.dataFolder = expandEnvironmentText(context.dataFolder);
    return !context.dataFolder.empty() && createDirectoryTree(context.dataFolder) &&
           isExistingDirectory(context.dataFolder);
}

} // namespace

std::optional<RunContext> startRun(const std::vector<std::wstring>& arguments) {
    RunContext context;
    wchar_t modulePath[1040] = {};
    GetModuleFileNameW(nullptr, modulePath, 1040);
    context.exeFolder = folderOfModulePath(modulePath);

    context.settingsPath = joinPath(context.exeFolder, L"Pinvane.ini");
    context.localAppData = getEnvironmentText(L"LOCALAPPDATA");
    context.appData = getEnvironmentText(L"APPDATA");
    context.firefoxDir = joinPath(context.appData, L"Mozilla\\Firefox");
    context.processCheck = true;

    applyCommandLine(arguments, context);

    if (!settleDataFolder(context))
        return std::nullopt;
    RunLog::open(joinPath(context.dataFolder, L"Pinvane.log"));
    context.logPath = RunLog::path();
    // First, so that a reader of the log knows at once that nothing was changed.
    if (context.preview)
        RunLog::writeLine(L"プレビュー: ブラウザーを閉じず、ファイルを変更しません");
    context.japaneseUi = userUiIsJapanese();

    if (context.chromeUserDataDir.empty())
        context.chromeUserDataDir = resolveUserDataDir(
            L"Google\\Chrome", joinPath(context.localAppData, L"Google\\Chrome\\User Data"));
    if (context.edgeUserDataDir.empty())
        context.edgeUserDataDir = resolveUserDataDir(
            L"Microsoft\\Edge", joinPath(context.localAppData, L"Microsoft\\Edge\\User Data"));
    return context;
}

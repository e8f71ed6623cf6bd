#include "pinvane/run/RunFlow.h"

#include "pinvane/backup/Backup.h"
#include "pinvane/chromium/ChromiumBookmarks.h"
#include "pinvane/firefox/FirefoxEditor.h"
#include "pinvane/firefox/FirefoxPreview.h"
#include "pinvane/locate/ChromiumProfiles.h"
#include "pinvane/locate/FirefoxProfiles.h"
#include "pinvane/support/BrowserTable.h"
#include "pinvane/run/Settings.h"
#include "pinvane/shutdown/ConfirmShutdown.h"
#include "pinvane/shutdown/RunningBrowsers.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

namespace {

struct BrowserTargets {
    const BrowserId* browser = nullptr;
    ProfileTargetList targets;
};

const wchar_t* stateText(RollbackState state, bool japanese) {
    switch (state) {
    case RollbackState::NotChanged:
        return japanese ? L"変更していません" : L"not changed";
    case RollbackState::RolledBack:
        return japanese ? L"変更を元に戻しました" : L"changes were rolled back";
    case RollbackState::RollbackFailed:
        break;
    }
    return japanese ? L"元に戻せませんでした" : L"could not be rolled back";
}

std::vector<std::wstring> backupFilesOf(const ProfileTarget& target) {
    if (target.format == TargetFormat::FirefoxPlaces)
        return {target.filePath, target.filePath + L"-wal", target.filePath + L"-shm"};
    return {target.filePath};
}

bool backUp(BackupSet& backup, RunFolder& runFolder, const ProfileTargetList& targets) {
    if (!backup.begin(runFolder))
        return false;
    for (const ProfileTarget& target : targets)
        if (!backup.addFiles(target.label, backupFilesOf(target)))
            return false;
    return true;
}

EditReport editTarget(const ProfileTarget& target, const Settings& settings, EditMode mode) {
    if (target.format == TargetFormat::ChromiumBookmarks)
        return addToChromiumBookmarks(target.filePath, settings.bookmarks, settings.insertPosition,
                                      mode);
    if (mode == EditMode::Preview)
        return previewFirefoxBookmarks(target.filePath, settings.bookmarks,
                                       settings.insertPosition);
    return addFirefoxBookmarks(target.filePath, settings.bookmarks, settings.insertPosition);
}

// Stops at the first target that fails, as the rest of the browser is rolled back anyway.
bool editAll(const ProfileTargetList& targets, const Settings& settings, EditMode mode) {
    for (const ProfileTarget& target : targets) {
        const EditReport report = editTarget(target, settings, mode);
        for (const std::wstring& line : reportLines(target.label, report))
            RunLog::writeLine(line);
        if (report.failed)
            return false;
    }
    return true;
}

} // namespace

std::wstring buildSummaryText(const std::vector<FailureRecord>& failures, bool japanese,
                              const std::wstring& runFolder, const std::wstring& logName,
                              bool preview) {
    std::wstring text;
    if (preview)
        text = japanese ? L"プレビューの結果です。何も変更していません。\r\n\r\n"
                        : L"This was a preview: nothing was changed.\r\n\r\n";
    text += japanese ? L"ブックマークを追加できなかったブラウザがあります。\r\n"
                     : L"Bookmarks could not be added to the following browsers.\r\n";
    bool rollbackFailed = false;
    for (const FailureRecord& record : failures) {
        text += L"\r\n  ・" + record.browserName + L"：" + stateText(record.state, japanese);
        rollbackFailed = rollbackFailed || record.state == RollbackState::RollbackFailed;
    }
    if (rollbackFailed) {
        text +=
            japanese
                ? L"\r\n\r\n元に戻せなかったブラウザは、次のフォルダのバックアップから手動で戻して"
                  L"ください。\r\n"
                : L"\r\n\r\nPlease restore the browsers that could not be rolled back "
                  L"manually from the backup in this folder.\r\n";
        text += runFolder;
    }
    text += japanese ? L"\r\n\r\n詳細は " + logName + L" を確認してください。"
                     : L"\r\n\r\nSee " + logName + L" for details.";
    return text;
}

namespace {

int runBrowsers(const RunContext& context) {
    Settings settings;
    const SettingsLoad load = loadSettings(context.settingsPath, settings);
    if (load.status == SettingsStatus::Unreadable) {
        RunLog::writeLine(L"設定ファイルを読み込めません: " + context.settingsPath);
        return 2;
    }
    if (load.status == SettingsStatus::NotUtf8) {
        RunLog::writeLine(L"設定ファイルが UTF-8 ではありません（" +
                          std::to_wstring(load.notUtf8Line) + L" 行目）: " + context.settingsPath);
        return 2;
    }
    if (settings.bookmarks.empty()) {
        RunLog::writeLine(L"追加するブックマークが設定されていません: " + context.settingsPath);
        return 2;
    }
    RunLog::writeLine(L"設定ファイル: " + context.settingsPath + L"（" +
                      std::to_wstring(settings.bookmarks.size()) + L" 件）");

    const EditMode mode = context.preview ? EditMode::Preview : EditMode::Apply;
    // A preview leaves running browsers alone: it only reads their files.
    if (context.processCheck && !context.preview) {
        const ShutdownOutcome outcome = confirmAndCloseBrowsers(settings.closeTimeoutSeconds);
        if (outcome != ShutdownOutcome::Proceed)
            return static_cast<int>(outcome);
    }

    std::vector<BrowserTargets> browsers;
    for (const BrowserId& browser : BrowserTable)
        browsers.push_back({&browser, {}});
    enumerateChromiumProfiles(L"Edge", context.edgeUserDataDir, browsers[0].targets);
    enumerateChromiumProfiles(L"Chrome", context.chromeUserDataDir, browsers[1].targets);
    enumerateFirefoxProfiles(context.firefoxDir, browsers[2].targets);

    RunFolder runFolder{makeBackupFolderPath(joinPath(context.dataFolder, L"Backup"))};

    bool anyTargets = false;
    std::vector<FailureRecord> failures;
    for (const BrowserTargets& entry : browsers) {
        if (entry.targets.empty())
            continue;
        anyTargets = true;
        const std::wstring& name = entry.browser->displayName;

        if (context.preview) {
            if (!editAll(entry.targets, settings, mode)) {
                RunLog::writeLine(name + L": エラーのため、このブラウザーは変更されません");
                failures.push_back({name, RollbackState::NotChanged});
            }
            continue;
        }
        BackupSet backup;
        if (!backUp(backup, runFolder, entry.targets)) {
            RunLog::writeLine(name + L": バックアップを作成できなかったため、何も変更しません");
            failures.push_back({name, RollbackState::NotChanged});
            continue;
        }
        if (context.processCheck &&
            !findProcessIdsByImageName(entry.browser->processImageName).empty()) {
            RunLog::writeLine(name + L": 処理の準備中にブラウザが起動されたため、何も変更しません");
            failures.push_back({name, RollbackState::NotChanged});
            continue;
        }
        if (editAll(entry.targets, settings, mode))
            continue;

        RunLog::writeLine(name + L": エラーが発生したため、バックアップから元に戻します");
        failures.push_back(
            {name, backup.restore() ? RollbackState::RolledBack : RollbackState::RollbackFailed});
    }

    if (!anyTargets) {
        RunLog::writeLine(L"完了（追加先がありません）");
        return 0;
    }
    if (failures.empty()) {
        RunLog::writeLine(L"完了");
        return 0;
    }
    const std::wstring summary = buildSummaryText(
        failures, context.japaneseUi, runFolder.path,
        context.logPath.substr(context.logPath.find_last_of(L"\\/") + 1), context.preview);
    RunLog::writeLine(L"完了（失敗あり）");
    if (dialogsEnabled)
        MessageBoxW(nullptr, summary.c_str(), L"Pinvane",
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    return 1;
}

} // namespace

int runPinvane(const RunContext& context) {
    const int exitCode = runBrowsers(context);
    if (context.preview)
        RunLog::writeLine(L"プレビュー終了（何も変更していません）");
    return exitCode;
}

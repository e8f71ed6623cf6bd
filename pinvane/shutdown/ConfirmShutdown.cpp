#include "pinvane/shutdown/ConfirmShutdown.h"

#include "pinvane/shutdown/CloseBrowsers.h"
#include "pinvane/support/RunLog.h"

#include <windows.h>

namespace {

constexpr UINT confirmStyle = MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST;
constexpr UINT failureStyle = MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST;
static_assert(confirmStyle == 0x50041 && failureStyle == 0x50010);

} // namespace

std::wstring confirmationText(const BrowserList& running, bool japanese) {
    const std::wstring list = formatBrowserList(running);
    if (japanese)
        return L"ブックマークを追加するため、次のブラウザを終了します。" + list +
               L"\r\n\r\n開いているウィンドウは閉じられます。よろしければ「OK」を押してください。";
    return L"The following browsers must be closed to add the bookmarks." + list +
           L"\r\n\r\nOpen windows will be closed. Click OK to continue.";
}

std::wstring couldNotCloseText(const BrowserList& remaining, bool japanese) {
    const std::wstring list = formatBrowserList(remaining);
    if (japanese)
        return L"次のブラウザを終了できませんでした。" + list +
               L"\r\n\r\n手動で終了してから、もう一度実行してください。";
    return L"Could not close the following browsers." + list +
           L"\r\n\r\nPlease close them manually and run again.";
}

ShutdownOutcome confirmAndCloseBrowsers(int32_t closeTimeoutSeconds) {
    const bool japanese = userUiIsJapanese();
    const BrowserList running = listRunningBrowsers();
    if (running.empty())
        return ShutdownOutcome::Proceed;

    if (dialogsEnabled && MessageBoxW(nullptr, confirmationText(running, japanese).c_str(),
                                      L"Pinvane", confirmStyle) != IDOK) {
        RunLog::writeLine(L"キャンセルされたため、処理せずに終了します");
        return ShutdownOutcome::Cancelled;
    }

    // A browser may have exited while the box was open.
    const BrowserList toClose = listRunningBrowsers();
    if (!toClose.empty()) {
        RunLog::writeLine(L"終了するブラウザ:" + formatBrowserList(toClose));
        closeBrowsers(toClose, closeTimeoutSeconds);
    }

    const BrowserList remaining = listRunningBrowsers();
    if (remaining.empty())
        return ShutdownOutcome::Proceed;
    RunLog::writeLine(L"終了できなかったブラウザ:" + formatBrowserList(remaining));
    if (dialogsEnabled)
        MessageBoxW(nullptr, couldNotCloseText(remaining, japanese).c_str(), L"Pinvane",
                    failureStyle);
    return ShutdownOutcome::BrowsersRemain;
}

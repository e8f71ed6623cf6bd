#include "pinvane/shutdown/RunningBrowsers.h"

#include "common/UniqueHandle.h"
#include "pinvane/support/PlainText.h"

#include <windows.h>

#include <tlhelp32.h>

namespace {

ProcessLookup& lookupOverride() {
    static ProcessLookup lookup;
    return lookup;
}

ProcessIdList snapshotProcessIds(const std::wstring& imageName) {
    ProcessIdList ids;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (equalsIgnoringAsciiCase(entry.szExeFile, imageName))
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

} // namespace

ProcessIdList findProcessIdsByImageName(const std::wstring& imageName) {
    if (lookupOverride())
        return lookupOverride()(imageName);
    return snapshotProcessIds(imageName);
}

BrowserList listRunningBrowsers() {
    BrowserList running;
    for (const BrowserId& browser : BrowserTable) {
        if (!findProcessIdsByImageName(browser.processImageName).empty())
            running.push_back(&browser);
    }
    return running;
}

std::wstring formatBrowserList(const BrowserList& browsers) {
    std::wstring text;
    for (const BrowserId* browser : browsers)
        text += L"\r\n  ・" + browser->displayName;
    return text;
}

void setProcessLookup(ProcessLookup lookup) {
    lookupOverride() = std::move(lookup);
}

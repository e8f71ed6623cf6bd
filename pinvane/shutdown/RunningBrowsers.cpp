#include "pinvane/shutdown/RunningBrowsers.h"

#include "common/UniqueHandle.h"

#include <windows.h>

#include <tlhelp32.h>

namespace {

ProcessLookup& lookupOverride() {
    static ProcessLookup lookup;
    return lookup;
}

wchar_t foldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c;
}

bool equalsIgnoringAsciiCase(const wchar_t* a, const std::wstring& b) {
    size_t i = 0;
    for (; a[i] != L'\0'; ++i) {
        if (i == b.size() || foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return i == b.size();
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

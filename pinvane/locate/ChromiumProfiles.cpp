#include "pinvane/locate/ChromiumProfiles.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

bool isChromiumProfileName(const std::wstring& name) {
    if (name == L"Default")
        return true;
    const std::wstring prefix = L"Profile ";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9')
            return false;
    }
    return true;
}

void enumerateChromiumProfiles(const std::wstring& displayName, const std::wstring& userDataDir,
                               ProfileTargetList& targets) {
    if (!isExistingDirectory(userDataDir)) {
        RunLog::writeLine(displayName + L": 未インストールのためスキップ");
        return;
    }

    const size_t countBefore = targets.size();
    for (const std::wstring& name : listSubdirectories(userDataDir)) {
        if (!isChromiumProfileName(name))
            continue;
        const std::wstring bookmarksPath = joinPath(joinPath(userDataDir, name), L"Bookmarks");
        if (!isExistingFile(bookmarksPath))
            continue;
        targets.push_back(
            {TargetFormat::ChromiumBookmarks, displayName + L"(" + name + L")", bookmarksPath});
    }
    if (targets.size() == countBefore)
        RunLog::writeLine(displayName + L": ブックマークファイルが見つからないためスキップ");
}

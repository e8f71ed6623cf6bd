#include "pinvane/locate/FirefoxProfiles.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/PlainText.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

#include <windows.h>

#include <algorithm>

namespace {

// "profile" followed by one or more digits, already lowered.
bool isProfileSection(const std::string& name) {
    const std::string prefix = "profile";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

void appendUnique(std::vector<std::wstring>& folders, const std::wstring& folder) {
    for (const std::wstring& known : folders) {
        if (equalsIgnoringAsciiCase(known, folder))
            return;
    }
    folders.push_back(folder);
}

class ProfilesIniReader {
public:
    explicit ProfilesIniReader(const std::wstring& dataFolder) : dataFolder(dataFolder) {}

    void readLine(std::string_view rawLine) {
        const std::string line = trimBlanks(rawLine);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            finishProfile();
            inProfile = isProfileSection(lowerAsciiText(line.substr(1, line.size() - 2)));
            return;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || !inProfile)
            return;
        const std::string key = lowerAsciiText(trimBlanks(line.substr(0, equals)));
        const std::string value = trimBlanks(line.substr(equals + 1));
        if (key == "path")
            path = value;
        else if (key == "isrelative")
            relative = value != "0";
    }

    std::vector<std::wstring> finish() {
        finishProfile();
        return folders;
    }

private:
    void finishProfile() {
        if (inProfile && !path.empty()) {
            std::wstring folder = utf8ToWide(path);
            std::replace(folder.begin(), folder.end(), L'/', L'\\');
            appendUnique(folders, relative ? joinPath(dataFolder, folder) : folder);
        }
        path.clear();
        relative = true;
    }

    const std::wstring& dataFolder;
    bool inProfile = false;
    std::string path;
    bool relative = true;
    std::vector<std::wstring> folders;
};

std::vector<std::wstring> listProfilesSubfolders(const std::wstring& dataFolder) {
    const std::wstring profiles = joinPath(dataFolder, L"Profiles");
    std::vector<std::wstring> folders;
    for (const std::wstring& name : listSubdirectories(profiles))
        appendUnique(folders, joinPath(profiles, name));
    return folders;
}

std::wstring profileName(const std::wstring& folder) {
    const size_t separator = folder.find_last_of(L"\\/");
    return separator == std::wstring::npos ? folder : folder.substr(separator + 1);
}

bool labelTaken(const ProfileTargetList& targets, const std::wstring& label) {
    return std::any_of(targets.begin(), targets.end(), [&](const ProfileTarget& target) {
        return equalsIgnoringAsciiCase(target.label, label);
    });
}

std::wstring uniqueLabel(const ProfileTargetList& targets, const std::wstring& name) {
    std::wstring label = L"Firefox(" + name + L")";
    for (int n = 2; labelTaken(targets, label); ++n)
        label = L"Firefox(" + name + L"_" + std::to_wstring(n) + L")";
    return label;
}

} // namespace

std::vector<std::wstring> listFirefoxProfileFolders(const std::wstring& dataFolder) {
    std::string content;
    if (!readFileBytes(joinPath(dataFolder, L"profiles.ini"), content))
        return listProfilesSubfolders(dataFolder);
    ProfilesIniReader reader(dataFolder);
    forEachLine(withoutUtf8Bom(content),
                [&reader](std::string_view line) { reader.readLine(line); });
    return reader.finish();
}

void enumerateFirefoxProfiles(const std::wstring& dataFolder, ProfileTargetList& targets) {
    if (!isExistingDirectory(dataFolder)) {
        RunLog::writeLine(L"Firefox: 未インストールのためスキップ");
        return;
    }
    const size_t before = targets.size();
    for (const std::wstring& folder : listFirefoxProfileFolders(dataFolder)) {
        const std::wstring database = joinPath(folder, L"places.sqlite");
        if (!isExistingFile(database)) {
            RunLog::writeLine(L"Firefox: places.sqlite が見つかりません（スキップ）: " + folder);
            continue;
        }
        targets.push_back(
            {TargetFormat::FirefoxPlaces, uniqueLabel(targets, profileName(folder)), database});
    }
    if (targets.size() == before)
        RunLog::writeLine(L"Firefox: 追加先のプロファイルが見つからないためスキップ");
}

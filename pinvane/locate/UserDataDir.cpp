#include "pinvane/locate/UserDataDir.h"

#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

namespace {

constexpr DWORD policyValueFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;

std::wstring computerName() {
    wchar_t buffer[16] = {};
    DWORD size = 16;
    if (!GetComputerNameW(buffer, &size))
        return {};
    return std::wstring(buffer, size);
}

void replaceAll(std::wstring& text, const std::wstring& variable, const std::wstring& value) {
    size_t at = text.find(variable);
    while (at != std::wstring::npos) {
        text.replace(at, variable.size(), value);
        at = text.find(variable, at + value.size());
    }
}

} // namespace

bool readUserDataDirPolicy(HKEY hive, const std::wstring& keyPath, std::wstring& value) {
    DWORD size = 0;
    if (RegGetValueW(hive, keyPath.c_str(), L"UserDataDir", policyValueFlags, nullptr, nullptr,
                     &size) != ERROR_SUCCESS ||
        size < 2)
        return false;
    std::wstring text(size / 2, L'\0');
    if (RegGetValueW(hive, keyPath.c_str(), L"UserDataDir", policyValueFlags, nullptr, text.data(),
                     &size) != ERROR_SUCCESS)
        return false;
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos)
        text.resize(nul);
    if (text.empty())
        return false;
    value = text;
    return true;
}

std::wstring resolveUserDataDir(const std::wstring& vendorPath, const std::wstring& defaultFolder) {
    const std::wstring keyPath = L"SOFTWARE\\Policies\\" + vendorPath;
    const struct {
        HKEY hive;
        const wchar_t* shortName;
    } hives[] = {{HKEY_LOCAL_MACHINE, L"HKLM"}, {HKEY_CURRENT_USER, L"HKCU"}};
    for (const auto& entry : hives) {
        std::wstring value;
        if (readUserDataDirPolicy(entry.hive, keyPath, value)) {
            const std::wstring folder = expandPathVariables(value);
            RunLog::writeLine(vendorPath + L": ポリシー(" + entry.shortName +
                              L")の UserDataDir を使います: " + folder);
            return folder;
        }
    }
    return defaultFolder;
}

std::wstring expandPathVariables(const std::wstring& text) {
    const std::wstring machine = computerName();
    const std::wstring profile = getEnvironmentText(L"USERPROFILE");
    const std::pair<const wchar_t*, std::wstring> variables[] = {
        {L"${local_app_data}", getEnvironmentText(L"LOCALAPPDATA")},
        {L"${roaming_app_data}", getEnvironmentText(L"APPDATA")},
        {L"${profile}", profile},
        {L"${documents}", joinPath(profile, L"Documents")},
        {L"${user_name}", getEnvironmentText(L"USERNAME")},
        {L"${machine_name}", machine},
        {L"${windows}", getEnvironmentText(L"SystemRoot")},
        {L"${program_files}", getEnvironmentText(L"ProgramFiles")},
    };
    std::wstring result = text;
    for (const auto& [variable, value] : variables)
        replaceAll(result, variable, value);

    constexpr DWORD bufferUnits = 1040;
    wchar_t expanded[bufferUnits] = {};
    const DWORD count = ExpandEnvironmentStringsW(result.c_str(), expanded, bufferUnits);
    if (count >= 1 && count <= bufferUnits)
        return expanded;
    return result;
}

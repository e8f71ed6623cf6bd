#include "pinvane/support/Text.h"

#include <windows.h>

std::wstring utf8ToWide(const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    const int written = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), length);
    if (written <= 0)
        return {};
    text.resize(static_cast<size_t>(written));
    return text;
}

std::string wideToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string bytes(static_cast<size_t>(length), '\0');
    const int written =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    if (written <= 0)
        return {};
    bytes.resize(static_cast<size_t>(written));
    return bytes;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty())
        return name;
    const wchar_t last = folder.back();
    if (last == L'\\' || last == L'/')
        return folder + name;
    return folder + L'\\' + name;
}

std::wstring getEnvironmentText(const std::wstring& name) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    // The variable may have changed between the two calls; a larger value no longer fits.
    if (length >= size)
        return {};
    value.resize(length);
    return value;
}

std::wstring expandEnvironmentText(const std::wstring& text) {
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring expanded(size, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
    if (length == 0 || length > size)
        return {};
    expanded.resize(length - 1);
    // What is still enclosed in % after the expansion names no set variable.
    for (size_t open = expanded.find(L'%'); open != std::wstring::npos;) {
        const size_t close = expanded.find(L'%', open + 1);
        if (close == std::wstring::npos)
            break;
        const std::wstring name = expanded.substr(open + 1, close - open - 1);
        if (!name.empty() && name.find_first_of(L"\\/") == std::wstring::npos &&
            GetEnvironmentVariableW(name.c_str(), nullptr, 0) == 0)
            return {};
        open = close;
    }
    return expanded;
}

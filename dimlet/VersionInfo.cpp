#include "dimlet/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// A file's whole version resource; empty when it has none.
std::vector<BYTE> versionBlock(const std::wstring& path) {
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

// A value of the block, only when it lies wholly inside the block: a damaged resource
// must not send the reader past its end.
const BYTE* queryValue(const std::vector<BYTE>& block, const wchar_t* key, size_t bytesPerUnit,
                       UINT& units) {
    void* value = nullptr;
    units = 0;
    if (block.empty() || !VerQueryValueW(const_cast<BYTE*>(block.data()), key, &value, &units) ||
        !value)
        return nullptr;
    const auto* at = static_cast<const BYTE*>(value);
    const BYTE* end = block.data() + block.size();
    if (at < block.data() || at > end || size_t(end - at) / bytesPerUnit < units)
        return nullptr;
    return at;
}

} // namespace

std::wstring ownExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::wstring fileVersionText(const std::wstring& path) {
    const std::vector<BYTE> block = versionBlock(path);
    UINT length = 0;
    const BYTE* found = queryValue(block, L"\\", 1, length);
    if (!found || length < sizeof(VS_FIXEDFILEINFO))
        return {};
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, found, sizeof(fixed));
    if (fixed.dwSignature != VS_FFI_SIGNATURE)
        return {};
    wchar_t text[64] = {};
    std::swprintf(text, std::size(text), L"%u.%u.%u.%u", HIWORD(fixed.dwFileVersionMS),
                  LOWORD(fixed.dwFileVersionMS), HIWORD(fixed.dwFileVersionLS),
                  LOWORD(fixed.dwFileVersionLS));
    return text;
}

std::wstring legalCopyright(const std::wstring& path) {
    const std::vector<BYTE> block = versionBlock(path);
    UINT length = 0;
    const BYTE* translation = queryValue(block, L"\\VarFileInfo\\Translation", 1, length);
    if (!translation || length < 2 * sizeof(WORD))
        return {};
    WORD pair[2];
    memcpy(pair, translation, sizeof(pair));
    wchar_t key[64] = {};
    std::swprintf(key, std::size(key), L"\\StringFileInfo\\%04x%04x\\%ls", pair[0], pair[1],
                  L"LegalCopyright");
    const auto* text =
        reinterpret_cast<const wchar_t*>(queryValue(block, key, sizeof(wchar_t), length));
    if (!text)
        return {};
    std::wstring notice(text, length);
    notice.resize(wcsnlen(notice.c_str(), notice.size())); // the count may include the end mark
    return notice;
}

#include "dimlet/Language.h"

#include "dimlet/framework/WinApp.h"

namespace {

constexpr wchar_t settingsSection[] = L"Settings";
constexpr wchar_t languageValue[] = L"Language";
constexpr WORD englishLangId = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);       // 0x0409
constexpr WORD japaneseLangId = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN); // 0x0411

UiLanguage cachedLanguage = UiLanguage::Japanese;
bool languageSettled = false;

LANGID systemUiLanguage() {
    return GetUserDefaultUILanguage();
}

UiLanguageSource uiLanguageSource = systemUiLanguage;

// One entry of a string block: 16 counted strings, each a length followed by its UTF-16 units.
std::wstring stringFromBlock(UINT id, WORD langId) {
    const HINSTANCE module = resourceHandle();
    const HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), langId);
    if (!found)
        return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* units = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!units)
        return {};
    const size_t total = SizeofResource(module, found) / sizeof(WCHAR);
    size_t at = 0;
    for (UINT skip = id % 16; skip > 0 && at < total; --skip)
        at += 1 + units[at];
    if (at >= total || units[at] > total - at - 1)
        return {};
    return std::wstring(units + at + 1, units[at]);
}

} // namespace

UiLanguage currentLanguage() {
    if (!languageSettled) {
        const bool japanese = PRIMARYLANGID(uiLanguageSource()) == LANG_JAPANESE;
        cachedLanguage = japanese ? UiLanguage::Japanese : UiLanguage::English;
        languageSettled = true;
    }
    return cachedLanguage;
}

void setLanguage(UiLanguage language) {
    cachedLanguage = language;
    languageSettled = true;
    if (CWinApp* app = CWinApp::current())
        app->writeProfileInt(settingsSection, languageValue, static_cast<int>(language));
}

std::wstring loadLocalizedString(UINT id) {
    if (currentLanguage() == UiLanguage::English)
        if (std::wstring text = stringFromBlock(id, englishLangId); !text.empty())
            return text;
    return stringFromBlock(id, japaneseLangId);
}

std::wstring formatLocalizedString(UINT id, const std::wstring& argument) {
    std::wstring text = loadLocalizedString(id);
    for (size_t at = text.find(L'%'); at != std::wstring::npos; at = text.find(L'%', at + 1)) {
        if (at + 1 < text.size() && (text[at + 1] == L's' || text[at + 1] == L'u')) {
            text.replace(at, 2, argument);
            break;
        }
    }
    return text;
}

void loadLanguageSetting(const CWinApp& app) {
    const UINT stored = app.getProfileInt(settingsSection, languageValue, -1);
    languageSettled = stored == 0 || stored == 1;
    if (languageSettled)
        cachedLanguage = static_cast<UiLanguage>(stored);
}

void setUiLanguageSource(UiLanguageSource source) {
    uiLanguageSource = source ? source : systemUiLanguage;
}

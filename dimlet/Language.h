#pragma once

#include <windows.h>

#include <string>

class CWinApp;

// Also the numbers stored in the registry value "Language".
enum class UiLanguage { Japanese = 0, English = 1 };

// The language in force: the registry choice, else the Windows UI language.
UiLanguage currentLanguage();
// Remembers the choice in the application's registry profile.
void setLanguage(UiLanguage language);
// The text of a string-table entry in the current language, falling back to Japanese;
// empty when neither has it.
std::wstring loadLocalizedString(UINT id);

// A string-table format with its one placeholder ("%s" or "%u") replaced by the argument.
std::wstring formatLocalizedString(UINT id, const std::wstring& argument);

// Start-up: "Language" 0 or 1 settles the language; anything else leaves it to the UI language.
void loadLanguageSetting(const CWinApp& app);

// Where the Windows UI language comes from; null restores GetUserDefaultUILanguage.
using UiLanguageSource = LANGID (*)();
void setUiLanguageSource(UiLanguageSource source);

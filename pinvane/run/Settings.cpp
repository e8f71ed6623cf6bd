#include "pinvane/run/Settings.h"
// Placeholder until the settings reader lands.
bool loadSettings(const std::wstring&, Settings&) { return false; }
void parseSettingsText(const std::string&, Settings&) {}
std::string normalizeBookmarkUrl(const std::string& value) { return value; }
std::string trimBlanks(const std::string& text) { return text; }

#pragma once

#include "pinvane/locate/ProfileTarget.h"

#include <string>
#include <vector>

// The profile folders listed in profiles.ini, in file order and without
// duplicates (ignoring case); the Profiles subfolders only when profiles.ini
// cannot be read.
std::vector<std::wstring> listFirefoxProfileFolders(const std::wstring& dataFolder);

// Appends a target for every profile folder that holds places.sqlite.
void enumerateFirefoxProfiles(const std::wstring& dataFolder, ProfileTargetList& targets);

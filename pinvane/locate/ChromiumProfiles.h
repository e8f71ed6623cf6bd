#pragma once

#include "pinvane/locate/ProfileTarget.h"

#include <string>

// "Default", or "Profile " followed by one or more ASCII digits; case-sensitive.
bool isChromiumProfileName(const std::wstring& name);

// Appends one target per profile of the user-data folder that has a "Bookmarks" file,
// in the order the file system lists the profile folders.
void enumerateChromiumProfiles(const std::wstring& displayName, const std::wstring& userDataDir,
                               ProfileTargetList& targets);

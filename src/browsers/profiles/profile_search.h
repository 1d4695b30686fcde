// Internals of the browser-profile search, shared by its files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "platform/file_access.h"

namespace browsers::profiles {

// The names of the sub-folders of a folder and of the links in it (which may
// lead to folders the user moved), sorted.
std::vector<std::string> subFolders(const std::string& folder);
// A whole small file (at most maxBytes); "" when it cannot be read.
std::string readSmallFile(const std::string& path, std::size_t maxBytes = 4u << 20);

// Holds a root or profile folder for the search: none when absent, and a
// refusal added to search when it may not be entered.
std::optional<platform::files::HeldFolder> holdFolder(const std::string& path,
                                                      ProfileSearch& search);

void findFirefoxProfiles(ProfileSearch& search);
void findChromiumProfiles(ProfileSearch& search);

}  // namespace browsers::profiles

// Internals of the browser-profile search, shared by its files.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/common/browser_profiles.h"

namespace platform::linux_os::profiles {

bool isDirectory(const std::string& path);  // a real folder, not a link to one
bool isFile(const std::string& path);       // a regular file, not a link to one
// The names of the real sub-folders of a folder, sorted.
std::vector<std::string> subFolders(const std::string& folder);
// A whole small file (at most maxBytes); "" when it cannot be read.
std::string readSmallFile(const std::string& path, std::size_t maxBytes = 4u << 20);

void findFirefoxProfiles(std::vector<BrowserProfile>& out);
void findChromiumProfiles(std::vector<BrowserProfile>& out);

}  // namespace platform::linux_os::profiles

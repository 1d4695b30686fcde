// Chromium's copies of service-worker scripts ("Service Worker/ScriptCache"):
// a Simple Cache whose entries are keyed by the resource id (in decimal) that
// the service-worker database gives each script ("RES:<version>\0<resource
// id>"), never by URL. An entry is the files "<hash>_0", "<hash>_1",
// "<hash>_s" and "todelete_<hash>_*", each beginning with a header that holds
// the key.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "browsers/cookies/site_folders.h"

namespace browsers {

struct ScriptEntries {
  FolderScan scan;
  // resource id -> the file names of its entry, the one holding the key last
  std::map<std::string, std::vector<std::string>> filesOf;
};
// The entries of the script cache at path, by resource id.
ScriptEntries readScriptEntries(const std::string& path);

// Removes the files of one entry in their order; gone, or the file that stayed.
FolderRemoval removeScriptEntry(const ScriptEntries& entries, const std::string& resourceId);

}  // namespace browsers

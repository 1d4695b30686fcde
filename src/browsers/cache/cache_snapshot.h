// What one listing of the browsers' caches found: the cache folders of every
// profile, and where each URL's entries live, so that deleting a listed URL
// goes straight to its files.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "browsers/formats/entry_file.h"
#include "browsers/profiles/browser_profiles.h"

namespace browsers {

struct CacheFolder {
  std::string root;  // Firefox: the cache2 folder; Chromium: Cache/Cache_Data
  std::string path;  // the folder holding the entry files
  EntryFormat format = EntryFormat::Firefox;
  std::size_t profile = 0;  // index into CacheSnapshot::profiles
};

struct EntryRef {
  std::size_t folder = 0;  // index into CacheSnapshot::folders
  std::string name;        // the entry file's name in that folder
};

struct CacheSnapshot {
  std::vector<BrowserProfile> profiles;
  std::vector<CacheFolder> folders;
  std::unordered_map<std::string, std::vector<EntryRef>> byUrl;
  // Chromium: names of doomed files (todelete_<hash>_...) seen, per folder.
  std::unordered_map<std::size_t, std::vector<std::string>> doomedFiles;
  bool complete = false;   // every folder was read to its end
  bool rescanned = false;  // built to look up a URL the listing did not know
};

// The cache folders of the profiles: Firefox cache2/entries and
// cache2/doomed, Chromium Cache/Cache_Data; each folder once.
std::vector<CacheFolder> cacheFoldersOf(const std::vector<BrowserProfile>& profiles);

}  // namespace browsers

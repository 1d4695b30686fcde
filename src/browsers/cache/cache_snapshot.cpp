#include "browsers/cache/cache_snapshot.h"

#include <set>

namespace browsers {

std::vector<CacheFolder> cacheFoldersOf(const std::vector<BrowserProfile>& profiles) {
  std::vector<CacheFolder> folders;
  std::set<std::string> seen;
  auto add = [&](const std::string& root, const std::string& sub, EntryFormat format,
                 std::size_t profile) {
    std::string path = sub.empty() ? root : root + "/" + sub;
    if (!seen.insert(path).second) return;
    folders.push_back(CacheFolder{root, std::move(path), format, profile});
  };
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const BrowserProfile& p = profiles[i];
    if (p.cacheDir.empty()) continue;
    if (p.family == BrowserFamily::Firefox) {
      add(p.cacheDir + "/cache2", "entries", EntryFormat::Firefox, i);
      add(p.cacheDir + "/cache2", "doomed", EntryFormat::Firefox, i);
    } else {
      add(p.cacheDir + "/Cache/Cache_Data", "", EntryFormat::Chromium, i);
    }
  }
  return folders;
}

}  // namespace browsers

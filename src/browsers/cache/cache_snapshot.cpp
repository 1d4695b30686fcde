#include "browsers/cache/cache_snapshot.h"

#include <set>

#include "platform/paths.h"

namespace browsers {

std::vector<CacheFolder> cacheFoldersOf(const std::vector<BrowserProfile>& profiles) {
  std::vector<CacheFolder> folders;
  std::set<std::string> seen;
  auto add = [&](const std::string& root, const std::string& sub, EntryFormat format,
                 std::size_t profile) {
    std::string path = sub.empty() ? root : platform::pathBelow(root, sub);
    if (!seen.insert(path).second) return;
    folders.push_back(CacheFolder{root, std::move(path), format, profile});
  };
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const BrowserProfile& p = profiles[i];
    if (p.cacheDir.empty()) continue;
    if (p.family == BrowserFamily::Firefox) {
      add(platform::pathBelow(p.cacheDir, "cache2"), "entries", EntryFormat::Firefox, i);
      add(platform::pathBelow(p.cacheDir, "cache2"), "doomed", EntryFormat::Firefox, i);
    } else {
      add(platform::pathBelow(p.cacheDir, "Cache/Cache_Data"), "", EntryFormat::Chromium, i);
    }
  }
  return folders;
}

}  // namespace browsers

#include "browsers/cache/damaged_entries.h"

#include <memory>
#include <string>
#include <vector>

#include "browsers/cache/entry_removal.h"
#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/entry_file.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace {

bool isUpperHex(std::string_view name) {
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

// The names that are entry files of the folder: Firefox entries/ holds the
// 40-digit SHA-1 names, doomed/ entries of any name; Chromium <hash>_0.
bool isEntryName(const CacheFolder& folder, std::string_view name) {
  if (name.empty() || name[0] == '.') return false;
  if (folder.format == EntryFormat::Chromium)
    return name.size() == 18 && name.ends_with("_0") && simpleCacheHash(name).has_value();
  if (platform::fileNameOf(folder.path) == "doomed") return true;
  return name.size() == 40 && isUpperHex(name);
}

using platform::files::OpenFolder;

// Removes a file of the folder, after beforeRemove had its turn on it: the
// error, 0 once the file is gone.
platform::files::FileError removeIn(const OpenFolder& dir, const std::string& name,
                                    const BeforeRemove& beforeRemove) {
  if (beforeRemove) {
    const std::optional<platform::files::EntryInfo> info = dir.info(name);
    if (info && info->kind == platform::files::EntryKind::File)
      beforeRemove(platform::pathBelow(dir.path(), name));
  }
  return dir.remove(name);
}

}  // namespace

bool fileHoldsText(const OpenFolder& folder, const std::string& name, std::string_view text) {
  platform::files::ReadFile file = folder.openFile(name);
  if (!file.valid()) return false;
  std::string window;
  char buffer[65536];
  bool found = false;
  for (;;) {
    const long long n = file.readNext(buffer, sizeof buffer);
    if (n <= 0) break;
    // The tail of the last read stays, so a text split between reads is found.
    window.append(buffer, static_cast<std::size_t>(n));
    if (window.find(text) != std::string::npos) {
      found = true;
      break;
    }
    if (window.size() > text.size()) window.erase(0, window.size() - text.size());
  }
  return found;
}

namespace {

// Removes the damaged entries, or with preview only names them: one walk, so
// that a preview names exactly what the removal removes.
platform::ClearOutcome clearDamagedEntries(
    const CacheSnapshot& snapshot, const std::function<bool(const BrowserProfile&)>& running,
    bool spareCookies, const BeforeRemove& beforeRemove, bool preview) {
  platform::ClearOutcome outcome;
  std::vector<int> runs(snapshot.profiles.size(), -1);  // -1 not yet asked
  for (const CacheFolder& folder : snapshot.folders) {
    const OpenFolder dir = OpenFolder::open(folder.path);
    if (!dir.valid()) {
      // A cache folder that is there but cannot be read is not "nothing to
      // clear": what it holds stays, and that is said.
      if (!platform::files::isMissing(dir.error()))
        outcome.fail(folder.path,
                     platform::files::isLinkRefused(dir.error())
                         ? std::string("it is a link; it was not followed")
                         : "it cannot be read: " + platform::files::errorWords(dir.error()));
      continue;
    }
    bool removedHere = false;
    for (const std::string& name : dir.names()) {
      if (!isEntryName(folder, name)) continue;
      bool damaged = false;
      if (readEntryFile(dir, name, folder.format, &damaged) || !damaged) continue;
      if (spareCookies && fileHoldsText(dir, name, "Cookie")) continue;
      const std::string path = platform::pathBelow(folder.path, name);
      const BrowserProfile& profile = snapshot.profiles.at(folder.profile);
      const std::string item = "damaged cache entry " + path + " (" + displayName(profile) + ")";
      int& runs1 = runs[folder.profile];
      if (runs1 < 0) runs1 = running(profile) ? 1 : 0;
      if (runs1 == 1) {
        outcome.fail(item, displayName(profile) + " is running");
        continue;
      }
      const std::optional<platform::files::EntryInfo> info = dir.info(name);
      if (preview) {
        ++outcome.removed;
        if (info) outcome.bytes += info->size;
        outcome.items.push_back(item);
        continue;
      }
      platform::files::FileError failed = 0;
      if (folder.format == EntryFormat::Chromium) {
        const std::string hash(name, 0, 16);
        // _0 last: while it stays, a retry finds the entry again.
        failed = removeIn(dir, hash + "_1", beforeRemove);
        if (!failed) failed = removeIn(dir, hash + "_s", beforeRemove);
      }
      if (!failed) failed = removeIn(dir, name, beforeRemove);
      if (failed) {
        outcome.fail(item, platform::files::errorWords(failed));
        continue;
      }
      removedHere = true;
      ++outcome.removed;
      if (info) outcome.bytes += info->size;
      outcome.items.push_back(item);
    }
    if (removedHere) dropFolderIndex(folder);
  }
  return outcome;
}

}  // namespace

platform::ClearOutcome removeDamagedEntries(
    const CacheSnapshot& snapshot, const std::function<bool(const BrowserProfile&)>& running,
    bool spareCookies, const BeforeRemove& beforeRemove) {
  return clearDamagedEntries(snapshot, running, spareCookies, beforeRemove, false);
}

platform::ClearOutcome previewDamagedEntries(
    const CacheSnapshot& snapshot, const std::function<bool(const BrowserProfile&)>& running,
    bool spareCookies) {
  return clearDamagedEntries(snapshot, running, spareCookies, {}, true);
}

}  // namespace browsers

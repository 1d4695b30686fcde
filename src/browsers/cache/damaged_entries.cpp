#include "browsers/cache/damaged_entries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browsers/cache/entry_removal.h"
#include "browsers/formats/chromium_entry.h"
#include "browsers/formats/entry_file.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/common/posix_files.h"

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
  if (folder.path.ends_with("/doomed")) return true;
  return name.size() == 40 && isUpperHex(name);
}

std::vector<std::string> namesIn(int dirFd) {
  std::vector<std::string> names;
  const platform::linux_os::FolderListing dir = platform::linux_os::listingOfCopy(dirFd);
  if (!dir) return names;
  while (const dirent* e = readdir(dir.get())) names.emplace_back(e->d_name);
  return names;
}

bool unlinkIn(int dirFd, const std::string& name) {
  return unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT;
}

// Removes a file of the folder, after beforeRemove had its turn on it.
bool removeIn(int dirFd, const std::string& folder, const std::string& name,
              const BeforeRemove& beforeRemove) {
  struct stat st {};
  if (beforeRemove && fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(st.st_mode))
    beforeRemove(folder + "/" + name);
  return unlinkIn(dirFd, name);
}

}  // namespace

bool fileHoldsText(int dirFd, const char* name, std::string_view text) {
  const platform::linux_os::UniqueFd file(
      openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.valid()) return false;
  std::string window;
  char buffer[65536];
  bool found = false;
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
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
    const platform::linux_os::UniqueFd dir(
        open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const int dirFd = dir.get();
    if (dirFd < 0) {
      // A cache folder that is there but cannot be read is not "nothing to
      // clear": what it holds stays, and that is said.
      if (errno != ENOENT)
        outcome.fail(folder.path, errno == ELOOP
                                      ? std::string("it is a link; it was not followed")
                                      : "it cannot be read: " + std::string(std::strerror(errno)));
      continue;
    }
    bool removedHere = false;
    for (const std::string& name : namesIn(dirFd)) {
      if (!isEntryName(folder, name)) continue;
      bool damaged = false;
      if (readEntryFile(dirFd, name.c_str(), folder.format, &damaged) || !damaged) continue;
      if (spareCookies && fileHoldsText(dirFd, name.c_str(), "Cookie")) continue;
      const std::string path = folder.path + "/" + name;
      const BrowserProfile& profile = snapshot.profiles.at(folder.profile);
      const std::string item = "damaged cache entry " + path + " (" + displayName(profile) + ")";
      int& runs1 = runs[folder.profile];
      if (runs1 < 0) runs1 = running(profile) ? 1 : 0;
      if (runs1 == 1) {
        outcome.fail(item, displayName(profile) + " is running");
        continue;
      }
      struct stat st {};
      const bool sized = fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
      if (preview) {
        ++outcome.removed;
        if (sized) outcome.bytes += st.st_size;
        outcome.items.push_back(item);
        continue;
      }
      bool ok = true;
      if (folder.format == EntryFormat::Chromium) {
        const std::string hash(name, 0, 16);
        // _0 last: while it stays, a retry finds the entry again.
        ok = removeIn(dirFd, folder.path, hash + "_1", beforeRemove) &&
             removeIn(dirFd, folder.path, hash + "_s", beforeRemove);
      }
      ok = ok && removeIn(dirFd, folder.path, name, beforeRemove);
      if (!ok) {
        outcome.fail(item, std::strerror(errno));
        continue;
      }
      removedHere = true;
      ++outcome.removed;
      if (sized) outcome.bytes += st.st_size;
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

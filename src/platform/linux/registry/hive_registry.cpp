#include "platform/linux/registry/hive_registry.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/registry/autostart_folder.h"
#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {

namespace {

const std::string kRunKey = "software\\microsoft\\windows\\currentversion\\run";
const std::string kShellFoldersKey =
    "software\\microsoft\\windows\\currentversion\\explorer\\shell folders";

bool isAncestorOf(const std::string& path, const std::string& key) {
  return path.empty() ||
         (key.size() > path.size() && key.starts_with(path) && key[path.size()] == '\\');
}

std::string saveFailure(const std::string& path, int code) {
  return "the settings file " + path + " could not be written: " + errorWords(code);
}

}  // namespace

HiveRegistry::HiveRegistry() : HiveRegistry(HiveFile::defaultPath()) {}

HiveRegistry::HiveRegistry(std::string hivePath) : hive_(std::move(hivePath)) {
  onChanged = [this] { dirty_ = true; };
  // Read under the lock when the folder is there: a damaged file is mended
  // and the leftovers of writes cut short go, with no other copy writing.
  FileLock lock = FileLock::take(hive_.lockPath());
  if (lock.held()) hive_.removeStaleTemporaries();
  HiveLoad loaded = hive_.load();
  keys() = std::move(loaded.keys);
  writable_ = loaded.writable;
  setAside_ = std::move(loaded.setAside);
  problems_ = std::move(loaded.problems);
  stamp_ = stampOfFile();
}

HiveRegistry::FileStamp HiveRegistry::stampOfFile() const {
  struct stat st {};
  if (::lstat(hive_.path().c_str(), &st) != 0) return {};
  return {true, static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void HiveRegistry::readFile() {
  const FileStamp now = stampOfFile();
  HiveLoad loaded = hive_.load();
  // A file gone or damaged since is no reason to forget what was read.
  if (loaded.problems.empty() && now.present) keys() = std::move(loaded.keys);
  if (loaded.problems.empty()) writable_ = true;
  stamp_ = stampOfFile();
}

void HiveRegistry::refreshFromFile() {
  if (stampOfFile() == stamp_) return;
  FileLock lock;
  if (!inChange_) lock = FileLock::take(hive_.lockPath());
  readFile();
}

std::string HiveRegistry::beginChange() {
  const std::string folder = folderOf(hive_.path());
  if (!ensureFolder(folder, 0700)) {
    const int code = errno;
    return "the settings folder " + folder + " cannot be made: " + errorWords(code);
  }
  lock_ = FileLock::take(hive_.lockPath());
  if (!lock_.held())
    return "the settings cannot be locked against other copies of the program (" +
           hive_.lockPath() + "): " + errorWords(lock_.error());
  hive_.removeStaleTemporaries();
  if (stampOfFile() != stamp_) readFile();
  inChange_ = true;
  dirty_ = false;
  return {};
}

std::string HiveRegistry::endChange(bool keep) {
  std::string error;
  if (dirty_ && keep) {
    if (!writable_)
      error = "the settings file " + hive_.path() + " is damaged and could not be set aside";
    else if (!hive_.save(keys()))
      error = saveFailure(hive_.path(), errno);
  }
  if (dirty_ && (!keep || !error.empty())) {
    // Nothing of the change stays: what is kept in memory is what the file holds.
    HiveLoad loaded = hive_.load();
    if (loaded.problems.empty()) keys() = std::move(loaded.keys);
  }
  stamp_ = stampOfFile();
  dirty_ = false;
  inChange_ = false;
  lock_ = FileLock();
  return error;
}

SettingsSaved HiveRegistry::exclusively(const std::function<SettingsSaved()>& apply) {
  if (inChange_) return apply();
  if (std::string error = beginChange(); !error.empty()) return {error};
  SettingsSaved result;
  try {
    result = apply();
  } catch (...) {
    endChange(false);
    throw;
  }
  const std::string error = endChange(result.ok());
  if (result.ok()) result.error = error;
  return result;
}

long HiveRegistry::changeOne(const std::function<long()>& call) {
  if (inChange_) return call();
  long result = kErrorRegistryIo;
  const SettingsSaved saved = exclusively([&]() -> SettingsSaved {
    result = call();
    return {result == ERROR_SUCCESS ? "" : "not changed"};
  });
  return saved.ok() || result != ERROR_SUCCESS ? result : kErrorRegistryIo;
}

bool HiveRegistry::isLiveKey(HKEY key) const {
  const std::string* path = pathOf(key);
  return path && (*path == kRunKey || *path == kShellFoldersKey);
}

long HiveRegistry::RegOpenKey(HKEY root, const std::string& subKey, HKEY& key) {
  refreshFromFile();
  return RegistryTree::RegOpenKey(root, subKey, key);
}

long HiveRegistry::RegOpenKeyEx(HKEY root, const std::string& subKey, std::uint32_t options,
                                std::uint32_t access, HKEY& key) {
  refreshFromFile();
  return RegistryTree::RegOpenKeyEx(root, subKey, options, access, key);
}

long HiveRegistry::RegQueryValueEx(HKEY key, const std::string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
  refreshFromFile();
  return RegistryTree::RegQueryValueEx(key, name, type, data, size);
}

long HiveRegistry::RegCreateKey(HKEY root, const std::string& subKey, HKEY& key) {
  key = 0;
  if (!isWritableRegName(subKey)) return kErrorInvalidParameter;
  if (inChange_) return RegistryTree::RegCreateKey(root, subKey, key);
  // The handle is good even when the new key cannot be saved now: a value
  // set through it is a change of its own, which makes the key again.
  const bool locked = beginChange().empty();
  const long result = RegistryTree::RegCreateKey(root, subKey, key);
  if (locked) endChange(result == ERROR_SUCCESS);
  return result;
}

long HiveRegistry::RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  if (!isWritableRegName(name)) return kErrorInvalidParameter;
  // A live key's values are files of their own, not the hive's.
  if (isLiveKey(key)) return RegistryTree::RegSetValueEx(key, name, type, data, size);
  return changeOne([&] { return RegistryTree::RegSetValueEx(key, name, type, data, size); });
}

long HiveRegistry::RegDeleteValue(HKEY key, const std::string& name) {
  if (isLiveKey(key)) return RegistryTree::RegDeleteValue(key, name);
  return changeOne([&] { return RegistryTree::RegDeleteValue(key, name); });
}

bool HiveRegistry::liveQuery(const std::string& keyPath, const std::string& name, RegValue& out,
                             long& result) {
  if (keyPath == kRunKey) {
    result = AutostartFolder::query(name, out);
    return true;
  }
  if (keyPath != kShellFoldersKey) return false;
  // The shell's folders are the Windows shell's: on Linux the key holds no
  // folder (the browsers' cookies are reached through their profiles).
  (void)name;
  (void)out;
  result = ERROR_FILE_NOT_FOUND;
  return true;
}

bool HiveRegistry::liveSet(const std::string& keyPath, const std::string& name,
                           const RegValue& value, long& result) {
  if (keyPath == kRunKey) {
    result = AutostartFolder::set(name, value);
    return true;
  }
  if (keyPath != kShellFoldersKey) return false;
  result = ERROR_ACCESS_DENIED;
  return true;
}

bool HiveRegistry::liveDelete(const std::string& keyPath, const std::string& name, long& result) {
  if (keyPath == kRunKey) {
    result = AutostartFolder::remove(name);
    return true;
  }
  if (keyPath != kShellFoldersKey) return false;
  result = ERROR_ACCESS_DENIED;
  return true;
}

bool HiveRegistry::liveKeyExists(const std::string& keyPath) {
  return keyPath == kRunKey || keyPath == kShellFoldersKey || isAncestorOf(keyPath, kRunKey) ||
         isAncestorOf(keyPath, kShellFoldersKey);
}

}  // namespace platform::linux_os

#include "platform/linux/registry/hive_registry.h"

#include <sys/stat.h>

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

}  // namespace

HiveRegistry::HiveRegistry() : HiveRegistry(HiveFile::defaultPath()) {}

HiveRegistry::HiveRegistry(std::string hivePath) : hive_(std::move(hivePath)) {
  HiveLoad loaded = hive_.load();
  keys() = std::move(loaded.keys);
  writable_ = loaded.writable;
  setAside_ = std::move(loaded.setAside);
  problems_ = std::move(loaded.problems);
  stamp_ = stampOfFile();
  onChanged = [this] { dirty_ = true; };
}

HiveRegistry::FileStamp HiveRegistry::stampOfFile() const {
  struct stat st {};
  if (::lstat(hive_.path().c_str(), &st) != 0) return {};
  return {true, static_cast<std::uint64_t>(st.st_ino), static_cast<std::uint64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void HiveRegistry::refreshFromFile() {
  if (dirty_ || !writable_) return;
  const FileStamp now = stampOfFile();
  if (now == stamp_) return;
  HiveLoad loaded = hive_.load();
  // A file gone or damaged since is no reason to forget what was read.
  if (loaded.problems.empty() && now.present) keys() = std::move(loaded.keys);
  stamp_ = now;
}

long HiveRegistry::saveIfChanged(long result) {
  if (!dirty_) return result;
  if (!writable_ || !hive_.save(keys())) return result == ERROR_SUCCESS ? kErrorRegistryIo : result;
  dirty_ = false;
  stamp_ = stampOfFile();
  return result;
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
  refreshFromFile();
  key = 0;
  if (!isWritableRegName(subKey)) return kErrorInvalidParameter;
  long result = RegistryTree::RegCreateKey(root, subKey, key);
  saveIfChanged(ERROR_SUCCESS);  // the handle is good even when the save must wait
  return result;
}

long HiveRegistry::RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  if (!isWritableRegName(name)) return kErrorInvalidParameter;
  refreshFromFile();
  return saveIfChanged(RegistryTree::RegSetValueEx(key, name, type, data, size));
}

long HiveRegistry::RegDeleteValue(HKEY key, const std::string& name) {
  refreshFromFile();
  return saveIfChanged(RegistryTree::RegDeleteValue(key, name));
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

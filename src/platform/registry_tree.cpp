#include "platform/registry_tree.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform {

std::string RegistryTree::normalise(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

static std::string lower(const std::string& s) {
  std::string out = s;
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

long RegistryTree::open(HKEY root, const std::string& subKey, bool create, HKEY& key) {
  key = 0;
  std::string path;
  if (root == HKEY_CURRENT_USER) {
    path = normalise(subKey);
  } else if (const std::string* parent = pathOf(root)) {
    path = normalise(*parent + "\\" + subKey);
  } else {
    return ERROR_INVALID_HANDLE;
  }
  if (!keys_.contains(path) && !liveKeyExists(path)) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    // Create the key and every missing parent.
    std::string spelled;
    std::string partial;
    for (std::size_t start = 0; start <= subKey.size();) {
      std::size_t end = subKey.find('\\', start);
      if (end == std::string::npos) end = subKey.size();
      std::string part = subKey.substr(start, end - start);
      if (!part.empty()) {
        spelled += (spelled.empty() ? "" : "\\") + part;
        partial = normalise(spelled);
        auto& data = keys_[partial];
        if (data.path.empty()) data.path = spelled;
      }
      start = end + 1;
    }
    if (onChanged) onChanged();
  }
  key = nextHandle_++;
  handles_[key] = path;
  return ERROR_SUCCESS;
}

const std::string* RegistryTree::pathOf(HKEY key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

long RegistryTree::RegOpenKey(HKEY root, const std::string& subKey, HKEY& key) {
  return open(root, subKey, false, key);
}

long RegistryTree::RegOpenKeyEx(HKEY root, const std::string& subKey, std::uint32_t, std::uint32_t,
                                HKEY& key) {
  return open(root, subKey, false, key);
}

long RegistryTree::RegCreateKey(HKEY root, const std::string& subKey, HKEY& key) {
  return open(root, subKey, true, key);
}

long RegistryTree::RegQueryValueEx(HKEY key, const std::string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
  const std::string* path = pathOf(key);
  if (!path) return ERROR_INVALID_HANDLE;
  RegValue value;
  long result = ERROR_SUCCESS;
  if (!liveQuery(*path, name, value, result)) {
    auto k = keys_.find(*path);
    if (k == keys_.end()) return ERROR_FILE_NOT_FOUND;
    auto v = k->second.values.find(lower(name));
    if (v == k->second.values.end()) return ERROR_FILE_NOT_FOUND;
    value = v->second;
  } else if (result != ERROR_SUCCESS) {
    return result;
  }
  if (type) *type = value.type;
  auto needed = static_cast<std::uint32_t>(value.data.size());
  if (!size) return data ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
  if (!data) {
    *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed) std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

long RegistryTree::RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  const std::string* path = pathOf(key);
  if (!path) return ERROR_INVALID_HANDLE;
  RegValue value{type, std::vector<std::uint8_t>(data, data + (data ? size : 0))};
  long result = ERROR_SUCCESS;
  if (liveSet(*path, name, value, result)) return result;
  auto& k = keys_[*path];
  if (k.path.empty()) k.path = *path;
  k.values[lower(name)] = std::move(value);
  k.names[lower(name)] = name;
  if (onChanged) onChanged();
  return ERROR_SUCCESS;
}

long RegistryTree::RegDeleteValue(HKEY key, const std::string& name) {
  const std::string* path = pathOf(key);
  if (!path) return ERROR_INVALID_HANDLE;
  long result = ERROR_SUCCESS;
  if (liveDelete(*path, name, result)) return result;
  auto k = keys_.find(*path);
  if (k == keys_.end() || !k->second.values.erase(lower(name))) return ERROR_FILE_NOT_FOUND;
  k->second.names.erase(lower(name));
  if (onChanged) onChanged();
  return ERROR_SUCCESS;
}

long RegistryTree::RegCloseKey(HKEY key) {
  return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::string RegistryTree::FormatMessage(long code) {
  switch (code) {
    case ERROR_SUCCESS:
      return "The operation completed successfully.\r\n";
    case ERROR_FILE_NOT_FOUND:
      return "The system cannot find the file specified.\r\n";
    case 3:
      return "The system cannot find the path specified.\r\n";
    case ERROR_ACCESS_DENIED:
      return "Access is denied.\r\n";
    case ERROR_INVALID_HANDLE:
      return "The handle is invalid.\r\n";
    case 13:
      return "The data is invalid.\r\n";
    case 32:
      return "The process cannot access the file because it is being used by another "
             "process.\r\n";
    case 87:
      return "The parameter is incorrect.\r\n";
    case ERROR_MORE_DATA:
      return "More data is available.\r\n";
    case 1009:
      return "The configuration registry database is corrupt.\r\n";
    case 1016:
      return "An I/O operation initiated by the registry failed unrecoverably. The registry "
             "could not read in, or write out, or flush, one of the files that contain the "
             "system's image of the registry.\r\n";
    default:
      return "";
  }
}

bool RegistryTree::liveQuery(const std::string&, const std::string&, RegValue&, long&) {
  return false;
}
bool RegistryTree::liveSet(const std::string&, const std::string&, const RegValue&, long&) {
  return false;
}
bool RegistryTree::liveDelete(const std::string&, const std::string&, long&) {
  return false;
}
bool RegistryTree::liveKeyExists(const std::string&) {
  return false;
}

}  // namespace platform

// An in-memory registry: keys (case-insensitive paths below HKEY_CURRENT_USER)
// holding typed values, behind the Registry calls. The Linux hive persists
// one of these; tests use it as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

struct RegValue {
  std::uint32_t type = REG_SZ;
  std::vector<std::uint8_t> data;
};

struct RegKeyData {
  std::string path;                        // as first spelled
  std::map<std::string, RegValue> values;  // by lower-case name
  // lower-case name -> spelled name; a name missing here is spelled in lower case
  std::map<std::string, std::string> names;
};

class RegistryTree : public Registry {
 public:
  long RegOpenKey(HKEY root, const std::string& subKey, HKEY& key) override;
  long RegOpenKeyEx(HKEY root, const std::string& subKey, std::uint32_t options,
                    std::uint32_t access, HKEY& key) override;
  long RegCreateKey(HKEY root, const std::string& subKey, HKEY& key) override;
  long RegQueryValueEx(HKEY key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  long RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long RegDeleteValue(HKEY key, const std::string& name) override;
  long RegCloseKey(HKEY key) override;
  std::string FormatMessage(long code) override;

  // Direct access for persistence and tests. Paths use "\" between parts.
  std::map<std::string, RegKeyData>& keys() { return keys_; }
  const std::map<std::string, RegKeyData>& keys() const { return keys_; }
  static std::string normalise(const std::string& path);  // lower case, no stray "\"

  // Called after every successful change (set or delete of a value).
  std::function<void()> onChanged;

 protected:
  // Hooks for live keys: return true when handled, with result in `result`.
  virtual bool liveQuery(const std::string& keyPath, const std::string& name, RegValue& out,
                         long& result);
  virtual bool liveSet(const std::string& keyPath, const std::string& name, const RegValue& value,
                       long& result);
  virtual bool liveDelete(const std::string& keyPath, const std::string& name, long& result);
  virtual bool liveKeyExists(const std::string& keyPath);
  // The normalised path of an open key; null for no such handle.
  const std::string* pathOf(HKEY key) const;

 private:
  long open(HKEY root, const std::string& subKey, bool create, HKEY& key);

  std::map<std::string, RegKeyData> keys_;  // by normalised path
  std::map<HKEY, std::string> handles_;     // open handle -> normalised path
  HKEY nextHandle_ = 0x100;
};

}  // namespace platform

// The per-user registry (HKEY_CURRENT_USER), with the calls and results of the
// Windows registry API. Results are Windows system error codes (0 success,
// 2 not found, ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using HKEY = std::uint32_t;  // 0 is no key
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_MORE_DATA = 234;

// What reading the stored registry at start found damaged and mended.
struct RegistryRepair {
  std::vector<std::string> problems;  // why it could not be read; empty when it was sound
  std::string keptAside;              // where the damaged copy was kept; "" when it was not
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key (never creates); leaves 0 in key on failure.
  virtual long RegOpenKey(HKEY root, const std::string& subKey, HKEY& key) = 0;
  virtual long RegOpenKeyEx(HKEY root, const std::string& subKey, std::uint32_t options,
                            std::uint32_t access, HKEY& key) = 0;
  // Opens the key, creating it and its parents when absent.
  virtual long RegCreateKey(HKEY root, const std::string& subKey, HKEY& key) = 0;
  // data may be null to ask for type and size; size is in/out, in bytes.
  virtual long RegQueryValueEx(HKEY key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long RegSetValueEx(HKEY key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) = 0;
  virtual long RegDeleteValue(HKEY key, const std::string& name) = 0;
  virtual long RegCloseKey(HKEY key) = 0;
  // The system's text for an error code, ending in a line break; "" when none.
  virtual std::string FormatMessage(long code) = 0;
  // What loading the store at start had to mend; nothing for a sound one.
  virtual RegistryRepair loadRepair() const { return {}; }
};

}  // namespace platform

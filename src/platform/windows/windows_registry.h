// The registry of Windows, HKEY_CURRENT_USER, through the ANSI calls of
// advapi32. The interface's 32-bit key numbers are handed out here and name
// the real key handles, so no handle is ever cut to 32 bits.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/registry.h"

namespace platform::windows_os {

class WindowsRegistry : public Registry {
 public:
  WindowsRegistry() = default;
  ~WindowsRegistry() override;
  WindowsRegistry(const WindowsRegistry&) = delete;
  WindowsRegistry& operator=(const WindowsRegistry&) = delete;

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

 private:
  // The real handle (as an integer) of a key number; 0 when unknown.
  std::uintptr_t handleOf(HKEY key);
  HKEY remember(std::uintptr_t handle);

  std::mutex mutex_;
  std::map<HKEY, std::uintptr_t> handles_;
  HKEY next_ = 0x100;
};

}  // namespace platform::windows_os

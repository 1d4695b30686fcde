#include "platform/windows/windows_registry.h"

#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

// The predefined roots keep their numbers (0x80000000 to 0x80000006).
bool isPredefined(platform::HKEY key) {
  return key >= 0x80000000u && key <= 0x80000006u;
}

::HKEY asHandle(std::uintptr_t value) {
  return reinterpret_cast<::HKEY>(value);
}

}  // namespace

WindowsRegistry::~WindowsRegistry() {
  for (const auto& [number, handle] : handles_) ::RegCloseKey(asHandle(handle));
}

std::uintptr_t WindowsRegistry::handleOf(platform::HKEY key) {
  if (isPredefined(key))
    return static_cast<std::uintptr_t>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  std::lock_guard lock(mutex_);
  auto it = handles_.find(key);
  return it == handles_.end() ? 0 : it->second;
}

platform::HKEY WindowsRegistry::remember(std::uintptr_t handle) {
  std::lock_guard lock(mutex_);
  while (next_ == 0 || isPredefined(next_) || handles_.count(next_)) ++next_;
  handles_[next_] = handle;
  return next_++;
}

long WindowsRegistry::RegOpenKey(platform::HKEY root, const std::string& subKey,
                                 platform::HKEY& key) {
  key = 0;
  const std::uintptr_t parent = handleOf(root);
  if (!parent) return ERROR_INVALID_HANDLE;
  ::HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyA(asHandle(parent), subKey.c_str(), &opened);
  if (result == ERROR_SUCCESS) key = remember(reinterpret_cast<std::uintptr_t>(opened));
  return result;
}

long WindowsRegistry::RegOpenKeyEx(platform::HKEY root, const std::string& subKey,
                                   std::uint32_t options, std::uint32_t access,
                                   platform::HKEY& key) {
  key = 0;
  const std::uintptr_t parent = handleOf(root);
  if (!parent) return ERROR_INVALID_HANDLE;
  ::HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyExA(asHandle(parent), subKey.c_str(), options, access, &opened);
  if (result == ERROR_SUCCESS) key = remember(reinterpret_cast<std::uintptr_t>(opened));
  return result;
}

long WindowsRegistry::RegCreateKey(platform::HKEY root, const std::string& subKey,
                                   platform::HKEY& key) {
  key = 0;
  const std::uintptr_t parent = handleOf(root);
  if (!parent) return ERROR_INVALID_HANDLE;
  ::HKEY opened = nullptr;
  const LONG result = ::RegCreateKeyExA(asHandle(parent), subKey.c_str(), 0, nullptr, 0,
                                        KEY_READ | KEY_WRITE, nullptr, &opened, nullptr);
  if (result == ERROR_SUCCESS) key = remember(reinterpret_cast<std::uintptr_t>(opened));
  return result;
}

long WindowsRegistry::RegQueryValueEx(platform::HKEY key, const std::string& name,
                                      std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* size) {
  const std::uintptr_t handle = handleOf(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  DWORD t = 0;
  DWORD n = size ? *size : 0;
  const LONG result =
      ::RegQueryValueExA(asHandle(handle), name.c_str(), nullptr, &t, data, size ? &n : nullptr);
  if (type) *type = t;
  if (size) *size = n;
  return result;
}

long WindowsRegistry::RegSetValueEx(platform::HKEY key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  const std::uintptr_t handle = handleOf(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExA(asHandle(handle), name.c_str(), 0, type, data, size);
}

long WindowsRegistry::RegDeleteValue(platform::HKEY key, const std::string& name) {
  const std::uintptr_t handle = handleOf(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  return ::RegDeleteValueA(asHandle(handle), name.c_str());
}

long WindowsRegistry::RegCloseKey(platform::HKEY key) {
  if (isPredefined(key)) return ERROR_SUCCESS;
  std::uintptr_t handle = 0;
  {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(key);
    if (it == handles_.end()) return ERROR_INVALID_HANDLE;
    handle = it->second;
    handles_.erase(it);
  }
  return ::RegCloseKey(asHandle(handle));
}

std::string WindowsRegistry::FormatMessage(long code) {
  return systemErrorText(static_cast<std::uint32_t>(code));
}

}  // namespace platform::windows_os

#include "traces/mod_reg.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "identity.h"

namespace traces {

std::string GetRegValue(forms::Platform& platform, platform::HKEY root, const std::string& subKey,
                        const std::string& name) {
  platform::HKEY key = 0;
  // The result is not looked at: a key that is missing leaves 0, and the read
  // below reports the failure.
  platform.registry.RegOpenKey(root, subKey, key);
  std::string text = ReadRegValue(platform, key, name);
  platform.registry.RegCloseKey(key);
  return text;
}

static std::string readText(platform::Registry& registry, platform::HKEY key,
                            const std::string& name, std::uint32_t size) {
  if (size == 0) return {};
  std::vector<std::uint8_t> buffer(size, 0);
  std::uint32_t type = 0;
  if (registry.RegQueryValueEx(key, name, &type, buffer.data(), &size) != platform::ERROR_SUCCESS)
    return {};
  std::string text(buffer.begin(), buffer.begin() + std::min<std::size_t>(size, buffer.size()));
  if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

static std::string readInteger(platform::Registry& registry, platform::HKEY key,
                               const std::string& name) {
  std::uint8_t bytes[4] = {0, 0, 0, 0};
  std::uint32_t size = sizeof bytes;
  std::uint32_t type = 0;
  if (registry.RegQueryValueEx(key, name, &type, bytes, &size) != platform::ERROR_SUCCESS)
    return {};
  // Little-endian: a shorter value fills only the low-order bytes.
  std::uint32_t value =
      bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return std::to_string(static_cast<std::int32_t>(value));
}

std::string ReadRegValue(forms::Platform& platform, platform::HKEY key, const std::string& name) {
  platform::Registry& registry = platform.registry;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  long result = registry.RegQueryValueEx(key, name, &type, nullptr, &size);
  if (result != platform::ERROR_SUCCESS) {
    platform.msgbox.show(SystemErrorText(registry, result), forms::vbOKOnly, identity::kAppTitle);
    return {};
  }
  switch (type) {
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ:
      return readText(registry, key, name, size);
    case platform::REG_BINARY:
      return readInteger(registry, key, name);
    default:
      return {};
  }
}

std::string SystemErrorText(platform::Registry& registry, long code) {
  std::string text = registry.FormatMessage(code);
  if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace traces

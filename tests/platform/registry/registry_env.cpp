#include "registry_env.h"

#include <sys/wait.h>

#include <cstdio>
#include <vector>

namespace regtest {

FakeHome::FakeHome()
    : home_("HOME", dir.str()),
      config_("XDG_CONFIG_HOME", dir.str() + "/config"),
      data_("XDG_DATA_HOME", dir.str() + "/data"),
      cache_("XDG_CACHE_HOME", dir.str() + "/cache") {}

long setString(platform::Registry& reg, const std::string& key, const std::string& name,
               const std::string& text, bool create) {
  platform::HKEY h = 0;
  long result = create
                    ? reg.RegCreateKey(platform::HKEY_CURRENT_USER, key, h)
                    : reg.RegOpenKeyEx(platform::HKEY_CURRENT_USER, key, 0, platform::KEY_WRITE, h);
  if (result != platform::ERROR_SUCCESS) return result;
  std::string data = text + '\0';
  result = reg.RegSetValueEx(h, name, platform::REG_SZ,
                             reinterpret_cast<const std::uint8_t*>(data.data()),
                             static_cast<std::uint32_t>(data.size()));
  reg.RegCloseKey(h);
  return result;
}

std::optional<std::string> getString(platform::Registry& reg, const std::string& key,
                                     const std::string& name, long* result) {
  long ignored = 0;
  long& code = result ? *result : ignored;
  platform::HKEY h = 0;
  code = reg.RegOpenKey(platform::HKEY_CURRENT_USER, key, h);
  if (code != platform::ERROR_SUCCESS) return std::nullopt;
  std::uint32_t type = 0, size = 0;
  code = reg.RegQueryValueEx(h, name, &type, nullptr, &size);
  std::vector<std::uint8_t> data(size);
  if (code == platform::ERROR_SUCCESS)
    code = reg.RegQueryValueEx(h, name, &type, data.data(), &size);
  reg.RegCloseKey(h);
  if (code != platform::ERROR_SUCCESS || data.empty() || data.back() != 0) return std::nullopt;
  return std::string(data.begin(), data.end() - 1);
}

long deleteValue(platform::Registry& reg, const std::string& key, const std::string& name) {
  platform::HKEY h = 0;
  long result = reg.RegOpenKeyEx(platform::HKEY_CURRENT_USER, key, 0, platform::KEY_WRITE, h);
  if (result != platform::ERROR_SUCCESS) return result;
  result = reg.RegDeleteValue(h, name);
  reg.RegCloseKey(h);
  return result;
}

int run(const std::string& command, std::string* output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  int status = pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool toolAvailable(const std::string& tool) {
  return run("command -v " + tool) == 0;
}

}  // namespace regtest

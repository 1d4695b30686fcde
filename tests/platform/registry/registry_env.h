// A fake home for registry tests: HOME and the XDG folders inside a temporary
// folder, and small helpers for string values.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "temp_dir.h"

namespace regtest {

class FakeHome {
 public:
  FakeHome();
  std::string config() const { return dir.str() + "/config"; }
  std::string hive() const { return config() + "/tracesweep/registry.reg"; }
  std::string autostart() const { return config() + "/autostart"; }

  testsupport::TempDir dir;

 private:
  testsupport::EnvGuard home_, config_, data_, cache_;
};

inline const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Opens `key` (creating it when asked), sets a REG_SZ with its NUL; the result code.
long setString(platform::Registry& reg, const std::string& key, const std::string& name,
               const std::string& text, bool create = true);
// The REG_SZ/REG_EXPAND_SZ text before the NUL; nullopt when the read fails.
std::optional<std::string> getString(platform::Registry& reg, const std::string& key,
                                     const std::string& name, long* result = nullptr);
long deleteValue(platform::Registry& reg, const std::string& key, const std::string& name);

// Runs a command line through the shell; its exit status, with its output.
int run(const std::string& command, std::string* output = nullptr);
bool toolAvailable(const std::string& tool);

}  // namespace regtest

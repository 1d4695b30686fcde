#include "platform/registry_settings_store.h"

#include <vector>

namespace platform {

namespace {

std::string keyPath(const std::string& app, const std::string& section) {
  return "Software\\" + app + "\\" + section;
}

std::string readValue(Registry& registry, const std::string& app, const std::string& section,
                      const std::string& key, const std::string& defaultValue) {
  HKEY h = 0;
  if (registry.RegOpenKey(HKEY_CURRENT_USER, keyPath(app, section), h) != ERROR_SUCCESS)
    return defaultValue;
  std::string result = defaultValue;
  std::uint32_t type = 0, size = 0;
  if (registry.RegQueryValueEx(h, key, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<std::uint8_t> data(size);
    if (registry.RegQueryValueEx(h, key, &type, data.data(), &size) == ERROR_SUCCESS) {
      std::string text(data.begin(), data.begin() + size);
      if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
      result = text;
    }
  }
  registry.RegCloseKey(h);
  return result;
}

// The registry's words for a failed call, as part of a sentence.
std::string failureWords(Registry& registry, long code) {
  std::string text = registry.FormatMessage(code);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? "error " + std::to_string(code) : text;
}

// Reads and writes through the registry; the first failure is kept, and
// nothing more is written after it.
class RegistryEditor : public SettingsEditor {
 public:
  explicit RegistryEditor(Registry& registry) : registry_(registry) {}
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& defaultValue) override {
    return readValue(registry_, app, section, key, defaultValue);
  }
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override {
    if (!outcome_.ok()) return;
    HKEY h = 0;
    long result = registry_.RegCreateKey(HKEY_CURRENT_USER, keyPath(app, section), h);
    if (result == ERROR_SUCCESS) {
      std::string data = value;
      data.push_back('\0');
      result = registry_.RegSetValueEx(h, key, REG_SZ,
                                       reinterpret_cast<const std::uint8_t*>(data.data()),
                                       static_cast<std::uint32_t>(data.size()));
      registry_.RegCloseKey(h);
    }
    if (result != ERROR_SUCCESS)
      outcome_.error =
          "the setting " + key + " could not be saved: " + failureWords(registry_, result);
  }
  const SettingsSaved& outcome() const { return outcome_; }

 private:
  Registry& registry_;
  SettingsSaved outcome_;
};

}  // namespace

std::string RegistrySettingsStore::GetSetting(const std::string& app, const std::string& section,
                                              const std::string& key,
                                              const std::string& defaultValue) {
  return readValue(registry_, app, section, key, defaultValue);
}

SettingsSaved RegistrySettingsStore::change(const std::function<void(SettingsEditor&)>& edit) {
  auto apply = [&] {
    RegistryEditor editor(registry_);
    edit(editor);
    return editor.outcome();
  };
  return exclusion_ ? exclusion_->exclusively(apply) : apply();
}

}  // namespace platform

#include "browsers/stores/kept_by_browsers.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "browsers/formats/sqlite_copy.h"
#include "browsers/history/profile_files.h"
#include "browsers/profiles/browser_families.h"
#include "browsers/profiles/browser_policies.h"

namespace browsers {

namespace {

constexpr int kFirefoxAllow = 1;   // nsIPermissionManager::ALLOW_ACTION
constexpr int kChromiumAllow = 1;  // CONTENT_SETTING_ALLOW

std::string unreadable(const BrowserProfile& profile) {
  return "the cookie exceptions of " + displayName(profile) + " could not be read";
}

// Read from a private copy: the browser may hold the live file.
void addFirefoxExceptions(const BrowserProfile& profile, core::BrowserKeptSites& found) {
  const std::string path = profile.profileDir + "/permissions.sqlite";
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return;
  const std::unique_ptr<SqliteCopy> copy = SqliteCopy::open(path);
  if (!copy) {
    found.problems.push_back(unreadable(profile));
    return;
  }
  if (!hasTable(copy->db(), "moz_perms")) return;
  sqlite3_stmt* statement = nullptr;
  const char* sql = "SELECT origin FROM moz_perms WHERE type = 'cookie' AND permission = ?";
  if (sqlite3_prepare_v2(copy->db(), sql, -1, &statement, nullptr) != SQLITE_OK) {
    found.problems.push_back(unreadable(profile));
    return;
  }
  sqlite3_bind_int(statement, 1, kFirefoxAllow);
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    if (!text) continue;
    std::string origin(reinterpret_cast<const char*>(text));
    // "https://example.com^userContextId=1": the origin attributes go.
    origin = origin.substr(0, origin.find('^'));
    found.names.push_back(origin);
  }
  sqlite3_finalize(statement);
  if (step != SQLITE_DONE) found.problems.push_back(unreadable(profile));
}

// A pattern of Chromium's content settings: "[*.]" stands for any
// subdomain, which the site already covers.
std::string hostOfPattern(std::string pattern) {
  for (std::size_t at = pattern.find("[*.]"); at != std::string::npos; at = pattern.find("[*.]"))
    pattern.erase(at, 4);
  return pattern;
}

void addChromiumExceptions(const BrowserProfile& profile, core::BrowserKeptSites& found) {
  std::string content;
  const auto read =
      history::readProfileFile(profile.profileDir + "/Preferences", content, 64u << 20);
  if (read == history::FileRead::Missing) return;
  const nlohmann::json preferences = read == history::FileRead::Read
                                         ? nlohmann::json::parse(content, nullptr, false)
                                         : nlohmann::json();
  if (!preferences.is_object()) {
    found.problems.push_back(unreadable(profile));
    return;
  }
  const nlohmann::json::json_pointer where("/profile/content_settings/exceptions/cookies");
  if (!preferences.contains(where) || !preferences.at(where).is_object()) return;
  for (const auto& [patterns, exception] : preferences.at(where).items()) {
    if (!exception.is_object()) continue;
    const auto setting = exception.find("setting");
    if (setting == exception.end() || !setting->is_number_integer() ||
        setting->get<int>() != kChromiumAllow)
      continue;
    // "primary,secondary": the site is the primary pattern.
    found.names.push_back(hostOfPattern(patterns.substr(0, patterns.find(','))));
  }
}

// The allowed sites of one policy file: Firefox's policies.Cookies.Allow
// (origins), the Chromium family's CookiesAllowedForUrls (patterns).
void addPolicyFile(const PolicyFile& file, core::BrowserKeptSites& found) {
  std::string content;
  const auto read = history::readProfileFile(file.path, content, 16u << 20);
  if (read == history::FileRead::Missing) return;
  const nlohmann::json policies = read == history::FileRead::Read
                                      ? nlohmann::json::parse(content, nullptr, false)
                                      : nlohmann::json();
  if (!policies.is_object()) {
    found.problems.push_back("the policies of " + browserTitle(file.browser) + " (" + file.path +
                             ") could not be read");
    return;
  }
  const nlohmann::json::json_pointer where(
      file.family == BrowserFamily::Firefox ? "/policies/Cookies/Allow" : "/CookiesAllowedForUrls");
  if (!policies.contains(where) || !policies.at(where).is_array()) return;
  for (const nlohmann::json& name : policies.at(where))
    if (name.is_string()) found.names.push_back(hostOfPattern(name.get<std::string>()));
}

}  // namespace

void addKeptSitesOf(const BrowserProfile& profile, core::BrowserKeptSites& found) {
  if (profile.family == BrowserFamily::Firefox)
    addFirefoxExceptions(profile, found);
  else
    addChromiumExceptions(profile, found);
}

core::BrowserKeptSites keptByBrowsers(const std::string& systemRoot) {
  core::BrowserKeptSites found;
  for (const BrowserProfile& profile : findBrowserProfiles()) addKeptSitesOf(profile, found);
  for (const PolicyFile& file : browserPolicyFiles(systemRoot)) addPolicyFile(file, found);
  PolicyNames system = systemPolicyAllowedSites();
  for (const std::string& name : system.names) found.names.push_back(hostOfPattern(name));
  found.problems.insert(found.problems.end(), system.problems.begin(), system.problems.end());
  return found;
}

}  // namespace browsers

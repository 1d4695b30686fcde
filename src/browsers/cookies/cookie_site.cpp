#include "browsers/cookies/cookie_site.h"

#include <algorithm>
#include <string_view>

#include "browsers/cookies/partition_site.h"
#include "browsers/cookies/registrable_domain.h"

namespace browsers {

namespace {

// An IPv4 address: four dotted decimal parts of 0 to 255.
bool isIPv4(std::string_view host) {
  int parts = 0;
  while (!host.empty()) {
    const std::size_t dot = host.find('.');
    const std::string_view part = host.substr(0, dot);
    if (part.empty() || part.size() > 3 ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(std::string(part)) > 255 || ++parts > 4)
      return false;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
    if (host.empty()) return false;
  }
  return parts == 4;
}

// An address rather than a name: no host name holds a ':', every IPv6
// address does (bracketed or not).
bool isAddress(const std::string& host) {
  return host.find(':') != std::string::npos || isIPv4(host);
}

template <std::string (*PartitionSite)(const std::string&)>
void cookieSite(sqlite3_context* context, int, sqlite3_value** argv) {
  auto text = [&](int i) {
    const unsigned char* value = sqlite3_value_text(argv[i]);
    return value ? std::string(reinterpret_cast<const char*>(value),
                               static_cast<std::size_t>(sqlite3_value_bytes(argv[i])))
                 : std::string();
  };
  std::string site = PartitionSite(text(1));
  site = siteOfHost(site.empty() ? text(0) : site);
  if (site.empty())
    sqlite3_result_null(context);
  else
    sqlite3_result_text(context, site.c_str(), static_cast<int>(site.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::string siteOfHost(const std::string& host) {
  std::string clean = host;
  while (!clean.empty() && clean.front() == '.') clean.erase(0, 1);
  while (!clean.empty() && clean.back() == '.') clean.pop_back();
  std::transform(clean.begin(), clean.end(), clean.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (clean.empty() || isAddress(clean)) return clean;
  std::string registrable = registrableDomain(clean);
  return registrable.empty() ? clean : registrable;
}

bool isPublicSuffix(const std::string& host) {
  std::string clean = host;
  while (!clean.empty() && clean.front() == '.') clean.erase(0, 1);
  std::transform(clean.begin(), clean.end(), clean.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (clean.empty() || isAddress(clean)) return false;
  return listedPublicSuffix(clean);
}

bool registerCookieSiteFunction(sqlite3* db, BrowserFamily family) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY;
  auto function = family == BrowserFamily::Firefox ? cookieSite<siteOfOriginAttributes>
                                                   : cookieSite<siteOfTopFrameKey>;
  return sqlite3_create_function(db, "tracesweep_cookie_site", 2, flags, nullptr, function, nullptr,
                                 nullptr) == SQLITE_OK;
}

}  // namespace browsers

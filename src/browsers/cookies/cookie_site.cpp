#include "browsers/cookies/cookie_site.h"

#include <arpa/inet.h>
#include <libpsl.h>

#include <algorithm>

#include "browsers/cookies/partition_site.h"

namespace browsers {

namespace {

// The distribution's list when it is installed and newer than the one built
// into libpsl, else the built-in one. Loaded once, kept for the process.
const psl_ctx_t* suffixList() {
  static const psl_ctx_t* list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

bool isAddress(const std::string& host) {
  unsigned char buffer[16];
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') return true;
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buffer) == 1;
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
  const psl_ctx_t* list = suffixList();
  const char* registrable = list ? psl_registrable_domain(list, clean.c_str()) : nullptr;
  return registrable ? std::string(registrable) : clean;
}

bool isPublicSuffix(const std::string& host) {
  std::string clean = host;
  while (!clean.empty() && clean.front() == '.') clean.erase(0, 1);
  std::transform(clean.begin(), clean.end(), clean.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (clean.empty() || isAddress(clean)) return false;
  const psl_ctx_t* list = suffixList();
  return list && psl_is_public_suffix2(list, clean.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE);
}

bool registerCookieSiteFunction(sqlite3* db, BrowserFamily family) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY;
  auto function = family == BrowserFamily::Firefox ? cookieSite<siteOfOriginAttributes>
                                                   : cookieSite<siteOfTopFrameKey>;
  return sqlite3_create_function(db, "tracesweep_cookie_site", 2, flags, nullptr, function, nullptr,
                                 nullptr) == SQLITE_OK;
}

}  // namespace browsers

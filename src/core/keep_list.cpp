#include "core/keep_list.h"

#include <algorithm>
#include <cctype>

#include "core/preferences.h"
#include "identity.h"

namespace core {

namespace {

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Lower-case letters, digits, '-' and '_' in dot-separated labels; or an IPv6
// address in brackets. Names outside ASCII are kept as the browsers store
// them, in their xn-- form.
bool wellFormedHost(std::string_view host) {
  if (host.size() > 253) return false;
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    std::string_view inner = host.substr(1, host.size() - 2);
    return inner.find(':') != inner.npos &&
           std::all_of(inner.begin(), inner.end(),
                       [](unsigned char c) { return std::isxdigit(c) || c == ':' || c == '.'; }) &&
           lowered(inner) == inner;
  }
  if (host.empty() || host.front() == '.' || host.back() == '.' || host.find("..") != host.npos)
    return false;
  return std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || std::isdigit(c) || c == '-' || c == '_' || c == '.';
  });
}

// A host as a cookie names it, in the list's form: lower case, no leading
// or trailing dot, an IPv6 address in brackets.
std::string listHost(std::string_view host) {
  std::string out = lowered(host);
  while (!out.empty() && out.front() == '.') out.erase(0, 1);
  while (!out.empty() && out.back() == '.') out.pop_back();
  if (out.find(':') != std::string::npos && out.front() != '[') out = "[" + out + "]";
  return out;
}

}  // namespace

KeptSite keptSiteOf(std::string_view text, const SiteNaming& naming) {
  const std::string typed(trimmed(text));
  std::string rest = lowered(typed);
  if (rest.empty()) return {{}, "an empty name is not a site"};
  if (std::size_t scheme = rest.find("://"); scheme != std::string::npos) rest.erase(0, scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (std::size_t at = rest.rfind('@'); at != std::string::npos) rest.erase(0, at + 1);

  std::string host, port;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    host = rest.substr(0, close == std::string::npos ? rest.size() : close + 1);
    if (close != std::string::npos) port = rest.substr(close + 1);
  } else if (std::count(rest.begin(), rest.end(), ':') > 1) {
    host = "[" + rest + "]";  // an IPv6 address written bare
  } else {
    const std::size_t colon = rest.find(':');
    host = rest.substr(0, colon);
    if (colon != std::string::npos) port = rest.substr(colon);
  }
  if (host.starts_with("*.")) host.erase(0, 2);
  host = listHost(host);
  const std::string notSite =
      "'" + typed + "' is not a site (write one such as example.com, localhost or 192.168.1.10)";
  if (host.empty() || !wellFormedHost(host)) return {{}, notSite};
  if (!port.empty() && !(port.front() == ':' && allDigits(std::string_view(port).substr(1))))
    return {{}, notSite};
  if (naming.isPublicSuffix && naming.isPublicSuffix(host))
    return {{},
            "'" + host +
                "' is a public suffix, shared by sites of different owners: it cannot be kept "
                "(name one site under it, such as example." +
                host + ")"};
  return {naming.siteOf ? listHost(naming.siteOf(host)) : host, {}};
}

KeepList::KeepList(const std::vector<std::string>& sites) {
  for (const std::string& site : sites) add(site);
}

bool KeepList::add(const std::string& site) {
  auto at = std::lower_bound(sites_.begin(), sites_.end(), site);
  if (at != sites_.end() && *at == site) return false;
  sites_.insert(at, site);
  return true;
}

bool KeepList::remove(const std::string& site) {
  auto at = std::lower_bound(sites_.begin(), sites_.end(), site);
  if (at == sites_.end() || *at != site) return false;
  sites_.erase(at);
  return true;
}

std::string KeepList::keeperOf(const std::string& host, const SiteNaming& naming) const {
  if (sites_.empty()) return {};
  const std::string clean = listHost(host);
  if (clean.empty()) return {};
  const std::string site = naming.siteOf ? listHost(naming.siteOf(clean)) : clean;
  if (std::binary_search(sites_.begin(), sites_.end(), site)) return site;
  if (naming.siteOf) return {};
  for (const std::string& kept : sites_)
    if (clean.ends_with("." + kept)) return kept;
  return {};
}

std::vector<std::string> addKeptSites(KeepList& list, const std::vector<std::string>& names,
                                      const SiteNaming& naming) {
  std::vector<std::string> added;
  for (const std::string& name : names) {
    const KeptSite kept = keptSiteOf(name, naming);
    if (kept.ok() && list.add(kept.site)) added.push_back(kept.site);
  }
  return added;
}

KeepList readKeepList(platform::SettingsStore& settings) {
  const std::string value =
      settings.GetSetting(identity::kAppTitle, prefs::kSection, kKeyKeptSites, "");
  std::vector<std::string> sites;
  std::size_t start = 0;
  while (start < value.size()) {
    const std::size_t end = value.find(' ', start);
    const std::string site =
        value.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? value.size() : end + 1;
    if (site.empty()) continue;
    // A value this program did not write is not guessed at.
    if (!wellFormedHost(site) || listHost(site) != site) return {};
    sites.push_back(site);
  }
  return KeepList(sites);
}

void writeKeepList(platform::SettingsStore& settings, const KeepList& list) {
  std::string value;
  for (const std::string& site : list.sites()) value += (value.empty() ? "" : " ") + site;
  settings.SaveSetting(identity::kAppTitle, prefs::kSection, kKeyKeptSites, value);
}

std::string keptReason(const std::string& site) {
  return site + " is on the keep list";
}

}  // namespace core

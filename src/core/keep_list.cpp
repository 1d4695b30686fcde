#include "core/keep_list.h"

#include <algorithm>
#include <cctype>

#include "core/host_address.h"
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

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; });
}

// Lower-case letters, digits, '-' and '_' in dot-separated labels.
bool wellFormedName(std::string_view host) {
  if (host.empty() || host.size() > 253 || host.front() == '.' || host.back() == '.' ||
      host.find("..") != host.npos)
    return false;
  return std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || std::isdigit(c) || c == '-' || c == '_' || c == '.';
  });
}

std::string withoutOuterDots(std::string host) {
  while (!host.empty() && host.front() == '.') host.erase(0, 1);
  while (!host.empty() && host.back() == '.') host.pop_back();
  return host;
}

// A host as a cookie names it, in the list's form: lower case, no leading
// or trailing dot, an address as the browsers write it.
std::string listHost(std::string_view host) {
  std::string out = withoutOuterDots(lowered(host));
  if (out.find(':') != std::string::npos && out.front() != '[') out = "[" + out + "]";
  const HostAddress address = addressOfHost(out);
  return address.kind == HostAddress::Kind::Address ? address.text : out;
}

// The host part of what was typed, and its port (":8080", or "").
void splitHost(std::string rest, std::string& host, std::string& port) {
  if (std::size_t scheme = rest.find("://"); scheme != std::string::npos) rest.erase(0, scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (std::size_t at = rest.rfind('@'); at != std::string::npos) rest.erase(0, at + 1);
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
}

}  // namespace

KeptSite keptSiteOf(std::string_view text, const SiteNaming& naming) {
  const std::string typed(trimmed(text));
  if (typed.empty()) return {{}, "an empty name is not a site"};
  const std::string notSite =
      "'" + typed + "' is not a site (write one such as example.com, localhost or 192.168.1.10)";
  std::string host, port;
  splitHost(lowered(typed), host, port);
  if (!port.empty() && !(port.front() == ':' && allDigits(std::string_view(port).substr(1))))
    return {{}, notSite};
  if (host.starts_with("*.")) host.erase(0, 2);
  host = withoutOuterDots(host);
  if (!isAscii(host)) {
    // The ASCII form lower-cases what the letters outside ASCII spell too.
    const std::optional<std::string> ascii =
        naming.asciiName ? naming.asciiName(host) : std::nullopt;
    if (!ascii) return {{}, notSite};
    host = withoutOuterDots(lowered(*ascii));
  }
  const HostAddress address = addressOfHost(host);
  if (address.kind == HostAddress::Kind::Invalid) return {{}, notSite};
  if (address.kind == HostAddress::Kind::Address) return {address.text, {}};
  if (!wellFormedName(host)) return {{}, notSite};
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

bool KeepList::removeUnreadable(std::string_view text) {
  const std::string wanted = lowered(trimmed(text));
  return std::erase_if(unreadable_,
                       [&](const UnreadEntry& entry) { return lowered(entry.text) == wanted; }) > 0;
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

KeepList keepListOf(const std::string& value, const SiteNaming& naming) {
  KeepList list;
  std::size_t start = 0;
  while (start < value.size()) {
    const std::size_t begin = std::min(value.size(), value.find_first_not_of(" \t\r\n", start));
    const std::size_t end = std::min(value.size(), value.find_first_of(" \t\r\n", begin));
    start = end;
    if (begin == end) continue;
    const std::string entry = value.substr(begin, end - begin);
    const KeptSite kept = keptSiteOf(entry, naming);
    if (kept.ok())
      list.add(kept.site);
    else
      list.addUnreadable({entry, kept.error});
  }
  return list;
}

std::string keepListValue(const KeepList& list) {
  std::string value;
  for (const std::string& site : list.sites()) value += (value.empty() ? "" : " ") + site;
  for (const UnreadEntry& entry : list.unreadable())
    value += (value.empty() ? "" : " ") + entry.text;
  return value;
}

KeepList readKeepList(platform::SettingsStore& settings, const SiteNaming& naming) {
  return keepListOf(settings.GetSetting(identity::kAppTitle, prefs::kSection, kKeyKeptSites, ""),
                    naming);
}

platform::SettingsSaved changeKeepList(platform::SettingsStore& settings, const SiteNaming& naming,
                                       const std::function<void(KeepList&)>& edit) {
  return settings.change([&](platform::SettingsEditor& editor) {
    KeepList list = keepListOf(
        editor.GetSetting(identity::kAppTitle, prefs::kSection, kKeyKeptSites, ""), naming);
    const std::string before = keepListValue(list);
    edit(list);
    const std::string after = keepListValue(list);
    if (after != before)
      editor.SaveSetting(identity::kAppTitle, prefs::kSection, kKeyKeptSites, after);
  });
}

std::string keptReason(const std::string& site) {
  return site + " is on the keep list";
}

std::string unreadEntryEffect() {
  return "the entry keeps no cookies until it is corrected or taken off the list";
}

}  // namespace core

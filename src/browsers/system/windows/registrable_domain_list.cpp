// The registrable domain on Windows, where there is no libpsl: the Public
// Suffix List embedded in the program, by the list's own algorithm
// (publicsuffix.org/list/): of the rules that match a host, an exception
// rule ("!") prevails, else the one with the most labels, a wildcard ("*.")
// matching any one label; no rule at all means the implicit "*". The list's
// UTF-8 rules are turned into the punycode form browsers store hosts in, so
// names compare as lower-case ASCII.
#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "browsers/cookies/registrable_domain.h"
#include "browsers/system/windows/public_suffix_rules.h"
#include "browsers/system/windows/punycode.h"

namespace browsers {

namespace {

struct SuffixRules {
  std::unordered_set<std::string> plain;      // "co.uk"
  std::unordered_set<std::string> wildcard;   // "kawasaki.jp" of "*.kawasaki.jp"
  std::unordered_set<std::string> exception;  // "city.kawasaki.jp" of "!city.kawasaki.jp"
};

SuffixRules readRules() {
  SuffixRules rules;
  const std::string_view text(kPublicSuffixRules, kPublicSuffixRulesSize);
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view rule = text.substr(start, end - start);
    start = end + 1;
    std::unordered_set<std::string>* set = &rules.plain;
    if (rule.starts_with('!')) {
      set = &rules.exception;
      rule.remove_prefix(1);
    } else if (rule.starts_with("*.")) {
      set = &rules.wildcard;
      rule.remove_prefix(2);
    }
    if (auto ascii = asciiName(rule); ascii && !ascii->empty()) set->insert(std::move(*ascii));
  }
  return rules;
}

const SuffixRules& suffixRules() {
  static const SuffixRules rules = readRules();  // once, on first use
  return rules;
}

// How many labels of the host, counted from its end, are its public suffix.
std::size_t publicSuffixLabels(const std::string& host, const std::vector<std::size_t>& starts) {
  const SuffixRules& rules = suffixRules();
  const std::size_t count = starts.size();
  for (std::size_t i = 0; i < count; ++i)
    if (rules.exception.count(host.substr(starts[i]))) return count - i - 1;
  std::size_t longest = 1;  // the implicit "*"
  for (std::size_t i = 0; i < count; ++i) {
    const bool plain = rules.plain.count(host.substr(starts[i])) > 0;
    const bool wild = i + 1 < count && rules.wildcard.count(host.substr(starts[i + 1])) > 0;
    if (plain || wild) longest = std::max(longest, count - i);
  }
  return longest;
}

}  // namespace

std::string registrableDomain(const std::string& host) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < host.size(); ++i)
    if (host[i] == '.') starts.push_back(i + 1);
  // An empty label (".a", "a..b", "a.") names no domain.
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : host.size();
    if (end <= starts[i]) return {};
  }
  const std::size_t suffix = publicSuffixLabels(host, starts);
  if (suffix >= starts.size()) return {};
  return host.substr(starts[starts.size() - suffix - 1]);
}

bool listedPublicSuffix(const std::string& host) {
  if (host.empty()) return false;
  const SuffixRules& rules = suffixRules();
  if (rules.exception.count(host)) return false;
  if (rules.plain.count(host)) return true;
  const std::size_t dot = host.find('.');
  return dot != std::string::npos && dot > 0 && rules.wildcard.count(host.substr(dot + 1)) > 0;
}

}  // namespace browsers

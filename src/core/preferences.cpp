#include "core/preferences.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace core::prefs {

static std::string trimmed(const std::string& text) {
  auto begin =
      std::find_if_not(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
  auto end = std::find_if_not(text.rbegin(), text.rend(), [](unsigned char c) {
               return std::isspace(c);
             }).base();
  return begin < end ? std::string(begin, end) : std::string();
}

int parseBoxValue(const std::string& text) {
  std::string t = trimmed(text);
  int value = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || ptr != t.data() + t.size()) return 0;
  return value == 1 ? 1 : 0;
}

std::optional<bool> parseTruth(const std::string& text) {
  std::string t = trimmed(text);
  std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
  if (t == "true") return true;
  if (t == "false") return false;
  long value = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec == std::errc() && ptr == t.data() + t.size() && !t.empty()) return value != 0;
  return std::nullopt;
}

std::string truthText(bool value) {
  return value ? "True" : "False";
}

}  // namespace core::prefs

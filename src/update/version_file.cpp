#include "update/version_file.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "identity.h"

namespace update {

namespace {

// More than any version file needs; the download stops at the same size.
constexpr std::size_t kMaxRead = 64 * 1024;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string firstField(std::string_view text) {
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  text = text.substr(0, text.find_first_of("\r\n"));
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  if (text.starts_with('"')) {
    text.remove_prefix(1);
    return std::string(text.substr(0, text.find('"')));
  }
  return std::string(trimBlanks(text.substr(0, text.find(','))));
}

std::optional<double> parseVersion(std::string_view field) {
  field = trimBlanks(field);
  if (field.empty()) return std::nullopt;
  double value = 0;
  const char* end = field.data() + field.size();
  // from_chars never looks at the locale, unlike strtod and streams.
  auto [stop, error] = std::from_chars(field.data(), end, value, std::chars_format::fixed);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> readPublishedVersion(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kMaxRead, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return parseVersion(firstField(text));
}

double ownVersion() {
  std::string text = std::to_string(identity::kMajor) + "." + std::to_string(identity::kMinor);
  return parseVersion(text).value_or(0.0);
}

}  // namespace update

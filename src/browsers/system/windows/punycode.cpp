#include "browsers/system/windows/punycode.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace browsers {

namespace {

// RFC 3492, section 5.
constexpr std::uint32_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;
constexpr std::uint32_t kInitialBias = 72, kInitialN = 128;

std::optional<std::vector<std::uint32_t>> codePoints(std::string_view text) {
  std::vector<std::uint32_t> points;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80       ? 1
                               : lead >> 5 == 6  ? 2
                               : lead >> 4 == 14 ? 3
                               : lead >> 3 == 30 ? 4
                                                 : 0;
    if (length == 0 || i + length > text.size()) return std::nullopt;
    std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next >> 6 != 2) return std::nullopt;
      point = point << 6 | (next & 0x3F);
    }
    points.push_back(point);
    i += length;
  }
  return points;
}

char digit(std::uint32_t d) {
  return static_cast<char>(d < 26 ? 'a' + d : '0' + (d - 26));
}

std::uint32_t adapt(std::uint32_t delta, std::uint32_t points, bool first) {
  delta = first ? delta / kDamp : delta / 2;
  delta += delta / points;
  std::uint32_t k = 0;
  while (delta > ((kBase - kTMin) * kTMax) / 2) {
    delta /= kBase - kTMin;
    k += kBase;
  }
  return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

std::string punycode(const std::vector<std::uint32_t>& input) {
  std::string out;
  for (std::uint32_t c : input)
    if (c < 0x80) out += static_cast<char>(c);
  const auto basic = static_cast<std::uint32_t>(out.size());
  if (basic > 0) out += '-';
  std::uint32_t n = kInitialN, delta = 0, bias = kInitialBias, handled = basic;
  while (handled < input.size()) {
    std::uint32_t m = UINT32_MAX;
    for (std::uint32_t c : input)
      if (c >= n) m = std::min(m, c);
    delta += (m - n) * (handled + 1);  // labels are short: no overflow
    n = m;
    for (std::uint32_t c : input) {
      if (c < n) ++delta;
      if (c != n) continue;
      std::uint32_t q = delta;
      for (std::uint32_t k = kBase;; k += kBase) {
        const std::uint32_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
        if (q < t) break;
        out += digit(t + (q - t) % (kBase - t));
        q = (q - t) / (kBase - t);
      }
      out += digit(q);
      bias = adapt(delta, handled + 1, handled == basic);
      delta = 0;
      ++handled;
    }
    ++delta;
    ++n;
  }
  return out;
}

}  // namespace

std::optional<std::string> asciiLabel(std::string_view label) {
  if (std::all_of(label.begin(), label.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(label);
  const auto points = codePoints(label);
  if (!points) return std::nullopt;
  return "xn--" + punycode(*points);
}

std::optional<std::string> asciiName(std::string_view name) {
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t dot = name.find('.', start);
    const auto label = asciiLabel(name.substr(start, dot - start));
    if (!label) return std::nullopt;
    out += *label;
    if (dot == std::string_view::npos) return out;
    out += '.';
    start = dot + 1;
  }
}

}  // namespace browsers

#include "core/host_address.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace core {

namespace {

constexpr std::uint64_t kTooLarge = std::uint64_t{1} << 33;  // beyond any part

std::vector<std::string_view> dottedParts(std::string_view host) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dot = host.find('.', start);
    parts.push_back(host.substr(start, dot == host.npos ? host.npos : dot - start));
    if (dot == host.npos) break;
    start = dot + 1;
  }
  // One trailing dot is allowed ("192.168.1.10.").
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  return parts;
}

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// A part of an IPv4 address: "0x"-prefixed hexadecimal, "0"-prefixed octal,
// else decimal; nothing when it is none of these.
std::optional<std::uint64_t> ipv4Number(std::string_view part) {
  if (part.empty()) return std::nullopt;
  int radix = 10;
  if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    part.remove_prefix(2);
    radix = 16;
  } else if (part.size() >= 2 && part[0] == '0') {
    part.remove_prefix(1);
    radix = 8;
  }
  std::uint64_t value = 0;
  for (char c : part) {
    const int digit = digitValue(c);
    if (digit >= radix) return std::nullopt;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    if (value > kTooLarge) value = kTooLarge;
  }
  return value;
}

// Whether the parser takes the host for an IPv4 address: its last part is
// a number.
bool endsInANumber(std::string_view host) {
  const std::string_view last = dottedParts(host).back();
  if (!last.empty() && last.find_first_not_of("0123456789") == std::string_view::npos) return true;
  return ipv4Number(last).has_value();
}

HostAddress ipv4(std::string_view host) {
  const std::vector<std::string_view> parts = dottedParts(host);
  if (parts.size() > 4) return {HostAddress::Kind::Invalid, {}};
  std::vector<std::uint64_t> numbers;
  for (std::string_view part : parts) {
    const std::optional<std::uint64_t> number = ipv4Number(part);
    if (!number) return {HostAddress::Kind::Invalid, {}};
    numbers.push_back(*number);
  }
  for (std::size_t i = 0; i + 1 < numbers.size(); ++i)
    if (numbers[i] > 255) return {HostAddress::Kind::Invalid, {}};
  // The last part fills the bytes the others leave.
  const std::uint64_t room = std::uint64_t{1} << (8 * (5 - numbers.size()));
  if (numbers.back() >= room) return {HostAddress::Kind::Invalid, {}};
  std::uint64_t address = numbers.back();
  for (std::size_t i = 0; i + 1 < numbers.size(); ++i) address += numbers[i] << (8 * (3 - i));
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
    text += std::to_string((address >> shift) & 0xff) + (shift ? "." : "");
  return {HostAddress::Kind::Address, text};
}

using Pieces = std::array<std::uint16_t, 8>;

// The IPv4 tail of an IPv6 address ("::ffff:192.0.2.1") into two pieces.
bool ipv6Tail(std::string_view text, std::size_t& at, Pieces& pieces, std::size_t& piece) {
  int seen = 0;
  while (at < text.size()) {
    if (seen > 0) {
      if (text[at] != '.' || seen >= 4) return false;
      ++at;
    }
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
    int value = -1;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      if (value == 0) return false;  // no leading zero
      value = (value < 0 ? 0 : value * 10) + (text[at] - '0');
      if (value > 255) return false;
      ++at;
    }
    pieces[piece] = static_cast<std::uint16_t>(pieces[piece] * 0x100 + value);
    if (++seen == 2 || seen == 4) ++piece;
  }
  return seen == 4;
}

std::optional<Pieces> ipv6Pieces(std::string_view text) {
  Pieces pieces{};
  std::size_t piece = 0, at = 0;
  std::optional<std::size_t> compress;
  if (at < text.size() && text[at] == ':') {
    if (text.size() < 2 || text[1] != ':') return std::nullopt;
    at = 2;
    compress = ++piece;
  }
  while (at < text.size()) {
    if (piece == 8) return std::nullopt;
    if (text[at] == ':') {
      if (compress) return std::nullopt;
      ++at;
      compress = ++piece;
      continue;
    }
    unsigned value = 0;
    std::size_t length = 0;
    while (length < 4 && at < text.size() && digitValue(text[at]) < 16) {
      value = value * 16 + static_cast<unsigned>(digitValue(text[at]));
      ++at;
      ++length;
    }
    if (at < text.size() && text[at] == '.') {
      if (length == 0 || piece > 6) return std::nullopt;
      at -= length;
      if (!ipv6Tail(text, at, pieces, piece)) return std::nullopt;
      break;
    }
    if (at < text.size() && text[at] == ':') {
      if (++at == text.size()) return std::nullopt;
    } else if (at < text.size()) {
      return std::nullopt;
    }
    pieces[piece++] = static_cast<std::uint16_t>(value);
  }
  if (compress) {
    std::size_t swaps = piece - *compress;
    piece = 7;
    while (piece != 0 && swaps > 0) {
      std::swap(pieces[piece], pieces[*compress + swaps - 1]);
      --piece;
      --swaps;
    }
  } else if (piece != 8) {
    return std::nullopt;
  }
  return pieces;
}

// Lower-case hexadecimal, the first longest run of two or more zero pieces
// written "::".
std::string ipv6Text(const Pieces& pieces) {
  std::size_t bestAt = 8, bestLength = 1;
  for (std::size_t i = 0; i < 8;) {
    std::size_t j = i;
    while (j < 8 && pieces[j] == 0) ++j;
    if (j - i > bestLength) {
      bestAt = i;
      bestLength = j - i;
    }
    i = j == i ? i + 1 : j;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "[";
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == bestAt) {
      text += i == 0 ? "::" : ":";
      i += bestLength - 1;
      continue;
    }
    std::string piece;
    for (unsigned value = pieces[i]; value != 0 || piece.empty(); value >>= 4)
      piece.insert(piece.begin(), kHex[value & 0xf]);
    text += piece;
    if (i != 7) text += ":";
  }
  return text + "]";
}

}  // namespace

HostAddress addressOfHost(std::string_view host) {
  if (!host.empty() && host.front() == '[') {
    if (host.size() < 2 || host.back() != ']') return {HostAddress::Kind::Invalid, {}};
    const std::optional<Pieces> pieces = ipv6Pieces(host.substr(1, host.size() - 2));
    if (!pieces) return {HostAddress::Kind::Invalid, {}};
    return {HostAddress::Kind::Address, ipv6Text(*pieces)};
  }
  if (host.empty() || !endsInANumber(host)) return {HostAddress::Kind::Name, {}};
  return ipv4(host);
}

}  // namespace core

#include "platform/linux/registry/reg_text.h"

#include <cctype>

namespace platform::linux_os {

namespace {

// Length of the valid UTF-8 sequence at `pos` and its code point; 0 when the
// byte there does not start one (overlong forms and surrogates are invalid).
std::size_t decodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) {
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char b = at(pos);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  std::size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (pos + len > s.size()) return 0;
  for (std::size_t i = 1; i < len; ++i) {
    unsigned char c = at(pos + i);
    if (c < (i == 1 ? lo : 0x80) || c > (i == 1 ? hi : 0xBF)) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  return len;
}

void appendUnit(Bytes& out, char32_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

void appendUtf8(Bytes& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<std::uint8_t>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<std::uint8_t>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

Bytes bytesToUtf16le(const Bytes& bytes) {
  std::string_view s(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  Bytes out;
  out.reserve(bytes.size() * 2);
  for (std::size_t pos = 0; pos < s.size();) {
    char32_t cp = 0;
    std::size_t len = decodeUtf8(s, pos, cp);
    if (len == 0) {
      appendUnit(out, 0xDC00 + static_cast<unsigned char>(s[pos]));
      ++pos;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      appendUnit(out, 0xD800 + (cp >> 10));
      appendUnit(out, 0xDC00 + (cp & 0x3FF));
    } else {
      appendUnit(out, cp);
    }
    pos += len;
  }
  return out;
}

Bytes utf16leToBytes(const Bytes& utf16) {
  Bytes out;
  std::size_t units = utf16.size() / 2;
  auto unit = [&](std::size_t i) -> char32_t { return utf16[2 * i] | (utf16[2 * i + 1] << 8); };
  for (std::size_t i = 0; i < units; ++i) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      out.push_back(static_cast<std::uint8_t>(u - 0xDC00));  // an escaped raw byte
    } else {
      appendUtf8(out, u);  // other lone surrogates are kept in the 3-byte form
    }
  }
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t cp = 0;
    std::size_t len = decodeUtf8(text, pos, cp);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace platform::linux_os

// Entry files of the browsers' disk caches, built byte for byte as the
// browsers write them, and profiles in a temporary folder that hold them.
// Header-only: the cache tests, the page tests and the benchmark share it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "browsers/profiles/browser_profiles.h"

namespace cachefiles {

// SHA-1, for the entry file names (Firefox: the key's digest in upper-case
// hex; Chromium: its first 8 bytes as a little-endian number).
inline std::array<std::uint8_t, 20> sha1(const std::string& message) {
  std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::string m = message;
  const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
  m.push_back(static_cast<char>(0x80));
  while (m.size() % 64 != 56) m.push_back('\0');
  for (int i = 7; i >= 0; --i) m.push_back(static_cast<char>((bits >> (i * 8)) & 0xFF));
  auto rol = [](std::uint32_t v, int n) { return (v << n) | (v >> (32 - n)); };
  for (std::size_t off = 0; off < m.size(); off += 64) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(m.data() + off + 4 * i);
      w[i] = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
             (std::uint32_t{p[2]} << 8) | p[3];
    }
    for (int i = 16; i < 80; ++i) w[i] = rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d), k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d, k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d, k = 0xCA62C1D6;
      }
      const std::uint32_t t = rol(a, 5) + f + e + k + w[i];
      e = d, d = c, c = rol(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<std::uint8_t, 20> out{};
  for (int i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

inline std::string firefoxFileName(const std::string& key) {
  std::string name;
  char hex[3];
  for (std::uint8_t b : sha1(key)) {
    std::snprintf(hex, sizeof hex, "%02X", b);
    name += hex;
  }
  return name;
}

inline std::string chromiumHash(const std::string& key) {
  const auto digest = sha1(key);
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | digest[i];
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(v));
  return hex;
}

inline void putBigEndian32(std::string& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void putLittleEndian32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The metadata that follows a Firefox cache2 body of bodySize bytes (hash,
// chunk hashes, header, key, elements) and the final offset word.
inline std::string firefoxMetadata(const std::string& key, std::uint32_t version,
                                   std::uint32_t bodySize) {
  std::string out;
  putBigEndian32(out, 0x1234abcd);  // metadata hash
  const std::size_t chunks = (std::size_t{bodySize} + 262143) / 262144;
  for (std::size_t i = 0; i < chunks; ++i) out += std::string("\x12\x34", 2);
  putBigEndian32(out, version);
  putBigEndian32(out, 3);           // fetch count
  putBigEndian32(out, 1700000000);  // last fetched
  putBigEndian32(out, 1690000000);  // last modified
  putBigEndian32(out, 1000);        // frecency
  putBigEndian32(out, 0xFFFFFFFF);  // no expiration
  putBigEndian32(out, static_cast<std::uint32_t>(key.size()));
  if (version >= 2) putBigEndian32(out, 0);  // flags
  out += key;
  out.push_back('\0');
  for (const char* element :
       {"request-method", "GET", "response-head", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n",
        "net-response-time-onstart", "12"}) {
    out += element;
    out.push_back('\0');
  }
  putBigEndian32(out, bodySize);
  return out;
}

// A Firefox cache2 entry: the body, then its metadata, whose offset is in
// the last 4 bytes.
inline std::string firefoxEntry(const std::string& key, std::uint32_t version = 4,
                                const std::string& body = "<html>cached body</html>") {
  return body + firefoxMetadata(key, version, static_cast<std::uint32_t>(body.size()));
}

// The 24-byte header and key that start every Simple Cache file of an entry.
inline std::string chromiumHeader(const std::string& key, std::uint32_t version = 5) {
  std::string out;
  putLittleEndian32(out, 0xa7725c30);  // magic 0xfcfb6d1ba7725c30, little-endian
  putLittleEndian32(out, 0xfcfb6d1b);
  putLittleEndian32(out, version);
  putLittleEndian32(out, static_cast<std::uint32_t>(key.size()));
  putLittleEndian32(out, 0x5a5a5a5a);  // key hash
  putLittleEndian32(out, 0);           // padding
  return out + key;
}

inline std::string chromiumEntry0(const std::string& key,
                                  const std::string& body = "<html>cached body</html>") {
  std::string out = chromiumHeader(key) + body;
  out += std::string("\xd8\x41\x0d\x97\x45\x6f\xfa\xf4", 8);  // end-of-stream record magic
  out += std::string(16, '\0');
  return out;
}

inline std::string chromiumKey(const std::string& url) {
  return "1/0/_dk_http://127.0.0.1 http://127.0.0.1 " + url;
}

inline void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// One Firefox and one Chromium profile under root, with empty caches.
struct TwoProfiles {
  explicit TwoProfiles(const std::filesystem::path& root) {
    using browsers::BrowserFamily;
    firefox.family = browsers::BrowserFamily::Firefox;
    firefox.browser = "firefox";
    firefox.name = "default-esr";
    firefox.profileDir = (root / "mozilla/firefox/abcd.default-esr").string();
    firefox.cacheDir = (root / "cache/mozilla/firefox/abcd.default-esr").string();
    chromium.family = browsers::BrowserFamily::Chromium;
    chromium.browser = "chromium";
    chromium.name = "Person 1";
    chromium.userDataDir = (root / "config/chromium").string();
    chromium.profileDir = chromium.userDataDir + "/Default";
    chromium.cacheDir = (root / "cache/chromium/Default").string();
    std::filesystem::create_directories(firefox.profileDir);
    std::filesystem::create_directories(chromium.profileDir);
  }

  std::filesystem::path cache2() const {
    return std::filesystem::path(firefox.cacheDir) / "cache2";
  }
  std::filesystem::path cacheData() const {
    return std::filesystem::path(chromium.cacheDir) / "Cache/Cache_Data";
  }

  // Returns the entry file written.
  std::filesystem::path addFirefox(const std::string& key, std::uint32_t version = 4) const {
    const auto path = cache2() / "entries" / firefoxFileName(key);
    writeFile(path, firefoxEntry(key, version));
    return path;
  }
  std::filesystem::path addFirefoxDoomed(const std::string& key, const std::string& name) const {
    const auto path = cache2() / "doomed" / name;
    writeFile(path, firefoxEntry(key));
    return path;
  }
  // Writes <h>_0 and, when asked, <h>_1 and <h>_s; returns the hash.
  std::string addChromium(const std::string& url, bool withStreams = false) const {
    const std::string key = chromiumKey(url);
    const std::string h = chromiumHash(key);
    writeFile(cacheData() / (h + "_0"), chromiumEntry0(key));
    if (withStreams) {
      writeFile(cacheData() / (h + "_1"), chromiumHeader(key) + "code cache stream");
      writeFile(cacheData() / (h + "_s"), chromiumHeader(key) + "sparse ranges");
    }
    return h;
  }

  std::vector<browsers::BrowserProfile> both() const { return {firefox, chromium}; }

  browsers::BrowserProfile firefox;
  browsers::BrowserProfile chromium;
};

}  // namespace cachefiles

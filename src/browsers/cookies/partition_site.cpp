#include "browsers/cookies/partition_site.h"

#include <vector>

namespace browsers {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

std::string siteOfTopFrameKey(const std::string& key) {
  for (const std::string prefix : {"https://", "http://"}) {
    if (key.rfind(prefix, 0) != 0) continue;
    std::string site = key.substr(prefix.size());
    return site.find_first_of(":/") == std::string::npos ? site : std::string();
  }
  return {};
}

std::string siteOfOriginAttributes(const std::string& attributes) {
  if (attributes.empty() || attributes[0] != '^') return {};
  for (const std::string& pair : split(attributes.substr(1), '&')) {
    const std::string name = "partitionKey=";
    if (pair.rfind(name, 0) != 0) continue;
    // "(scheme,host[,port][,f])"
    const std::string key = percentDecoded(pair.substr(name.size()));
    if (key.size() < 2 || key.front() != '(' || key.back() != ')') return {};
    std::vector<std::string> parts = split(key.substr(1, key.size() - 2), ',');
    if (parts.size() < 2 || (parts[0] != "http" && parts[0] != "https")) return {};
    return parts[1].find_first_of(":/") == std::string::npos ? parts[1] : std::string();
  }
  return {};
}

}  // namespace browsers

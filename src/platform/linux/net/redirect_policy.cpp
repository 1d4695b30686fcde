#include "platform/linux/net/redirect_policy.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>

namespace platform::linux_os {

namespace {

struct UrlParts {
  std::string scheme;
  std::string host;
};

std::optional<std::string> part(CURLU* url, CURLUPart which) {
  char* text = nullptr;
  if (curl_url_get(url, which, &text, 0) != CURLUE_OK || !text) return std::nullopt;
  std::string value(text);
  curl_free(text);
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return value;
}

std::optional<UrlParts> parse(const std::string& text) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  auto scheme = part(url.get(), CURLUPART_SCHEME);
  auto host = part(url.get(), CURLUPART_HOST);
  if (!scheme || !host || host->empty()) return std::nullopt;
  return UrlParts{*scheme, *host};
}

}  // namespace

bool redirectAllowed(const std::string& from, const std::string& to) {
  auto origin = parse(from);
  auto target = parse(to);
  if (!origin || !target) return false;
  if (target->scheme != "http" && target->scheme != "https") return false;
  if (origin->scheme == "https" && target->scheme != "https") return false;
  return origin->host == target->host;
}

}  // namespace platform::linux_os

#include "platform/url_cache.h"

#include <cstddef>
#include <cstring>

namespace platform {

namespace {

constexpr std::size_t kFixedSize = sizeof(UrlCacheEntryInfo);

// Copies the text and its NUL (an empty view may have no data pointer at all).
void copyString(char* to, std::string_view text) {
  if (!text.empty()) std::memcpy(to, text.data(), text.size());
  to[text.size()] = '\0';
}

}  // namespace

std::uint32_t cacheEntryInfoSize(const CacheEntryFields& fields) {
  const std::size_t total = kFixedSize + fields.sourceUrlName.size() + 1 +
                            fields.localFileName.size() + 1 +
                            (fields.browser.empty() ? 0 : fields.browser.size() + 1);
  // Entries are capped far below this by their parsers; saturate rather than wrap.
  return total > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(total);
}

bool fillCacheEntryBuffer(const CacheEntryFields& fields, void* buffer, std::uint32_t* size,
                          std::uint32_t& lastError) {
  if (size == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  const std::uint32_t needed = cacheEntryInfoSize(fields);
  if (buffer == nullptr || *size < needed || needed == UINT32_MAX) {
    *size = needed;
    lastError = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  auto* bytes = static_cast<char*>(buffer);
  char* url = bytes + kFixedSize;
  copyString(url, fields.sourceUrlName);
  char* local = url + fields.sourceUrlName.size() + 1;
  copyString(local, fields.localFileName);
  char* browser = nullptr;
  if (!fields.browser.empty()) {
    browser = local + fields.localFileName.size() + 1;
    copyString(browser, fields.browser);
  }

  UrlCacheEntryInfo info{};
  info.dwStructSize = static_cast<std::uint32_t>(kFixedSize);
  info.lpszSourceUrlName = url;
  info.lpszLocalFileName = local;
  info.CacheEntryType = fields.type;
  info.dwUseCount = fields.useCount;
  info.dwSizeLow = static_cast<std::uint32_t>(fields.size & 0xFFFFFFFFu);
  info.dwSizeHigh = static_cast<std::uint32_t>(fields.size >> 32);
  info.LastModifiedTime = fields.lastModified;
  info.ExpireTime = fields.expire;
  info.LastAccessTime = fields.lastAccess;
  info.lpszBrowser = browser;
  // The caller's buffer is raw bytes of any alignment: copy, never cast.
  std::memcpy(bytes, &info, kFixedSize);
  *size = needed;
  return true;
}

}  // namespace platform

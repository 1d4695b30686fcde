// The browsers' URL history store: add, delete by URL, clear, and enumerate
// with a prefix filter. Failures are reported as HRESULT-like codes (<0).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clear_outcome.h"

namespace platform {

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

struct FILETIME {
  std::uint64_t value = 0;  // 100 ns intervals since 1601-01-01 UTC
};

struct STATURL {
  std::string url;
  std::string title;
  bool hasTitle = false;
  FILETIME ftLastVisited, ftLastUpdated, ftExpires;
  std::uint32_t dwFlags = 0;
  std::string browser;  // the browser and profile the record is of; "" when unknown
};

class EnumSTATURL {
 public:
  virtual ~EnumSTATURL() = default;
  virtual HRESULT SetFilter(const std::string* prefix, std::uint32_t flags) = 0;
  // S_OK with one record in out, S_FALSE at the end, a failure code else.
  virtual HRESULT Next(STATURL& out, std::uint32_t& fetched) = 0;
};

class UrlHistoryStg {
 public:
  virtual ~UrlHistoryStg() = default;
  virtual HRESULT AddUrl(const std::string& url, const std::string& title, std::uint32_t flags) = 0;
  virtual HRESULT DeleteUrl(const std::string& url, std::uint32_t flags) = 0;
  virtual HRESULT EnumUrls(std::unique_ptr<EnumSTATURL>& out) = 0;
  virtual HRESULT ClearHistory() = 0;
  // Plain words for the last failure, e.g. which browser must be closed.
  virtual std::string lastErrorText() const = 0;
};

class UrlHistoryFactory {
 public:
  virtual ~UrlHistoryFactory() = default;
  // Creates a connection to the store; null when it cannot be created.
  virtual std::unique_ptr<UrlHistoryStg> create() = 0;
};

// For a system with no history store of its own: none can be created.
class NoUrlHistoryFactory : public UrlHistoryFactory {
 public:
  std::unique_ptr<UrlHistoryStg> create() override { return nullptr; }
};

}  // namespace platform

// CURLHistory: one connection to the URL history store and a snapshot of its
// entries; URLHistoryItem: one entry of the snapshot. Store failures are
// thrown as HistoryError.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/url_history.h"

namespace traces {

class HistoryError : public std::runtime_error {
 public:
  HistoryError(platform::HRESULT code, const std::string& text)
      : std::runtime_error(text), code_(code) {}
  platform::HRESULT code() const { return code_; }

 private:
  platform::HRESULT code_;
};

class CURLHistory {
 public:
  explicit CURLHistory(std::unique_ptr<platform::UrlHistoryStg> store);
  void Clear();
  void Refresh(const std::string* urlStartsWith = nullptr, std::uint32_t flags = 0);
  std::int32_t Count() const { return count_; }

 private:
  std::unique_ptr<platform::UrlHistoryStg> store_;
  std::int32_t count_ = 0;
};

}  // namespace traces

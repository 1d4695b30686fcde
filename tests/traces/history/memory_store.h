// A URL history store held in memory, for the tests of the classes above the
// platform: it records what it is asked and fails when told to.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/url_history.h"

namespace historytest {

struct MemoryStoreState {
  std::vector<platform::STATURL> records;
  std::vector<std::string> deleted;
  int clears = 0;
  int enumerations = 0;
  platform::HRESULT failWith = platform::S_OK;  // for Add, Delete, Clear
  platform::HRESULT enumFailWith = platform::S_OK;
  std::string errorText = "Please close Firefox (profile default) and try again.";
  std::function<void()> onClear;  // runs inside ClearHistory
};

class MemoryStore : public platform::UrlHistoryStg {
 public:
  explicit MemoryStore(MemoryStoreState& state) : state_(state) {}
  platform::HRESULT AddUrl(const std::string& url, const std::string& title,
                           std::uint32_t flags) override;
  platform::HRESULT DeleteUrl(const std::string& url, std::uint32_t flags) override;
  platform::HRESULT EnumUrls(std::unique_ptr<platform::EnumSTATURL>& out) override;
  platform::HRESULT ClearHistory() override;
  std::string lastErrorText() const override { return state_.errorText; }

 private:
  MemoryStoreState& state_;
};

platform::STATURL record(const std::string& url, const char* title, std::uint64_t visited = 0);

}  // namespace historytest

#include "memory_store.h"

#include <algorithm>

namespace historytest {

namespace {
class MemoryEnum : public platform::EnumSTATURL {
 public:
  explicit MemoryEnum(std::vector<platform::STATURL> records) : records_(std::move(records)) {}
  platform::HRESULT SetFilter(const std::string* prefix, std::uint32_t) override {
    prefix_ = prefix ? *prefix : "";
    return platform::S_OK;
  }
  platform::HRESULT Next(platform::STATURL& out, std::uint32_t& fetched) override {
    fetched = 0;
    while (next_ < records_.size()) {
      const platform::STATURL& r = records_[next_++];
      if (r.url.rfind(prefix_, 0) != 0) continue;
      out = r;
      fetched = 1;
      return platform::S_OK;
    }
    return platform::S_FALSE;
  }

 private:
  std::vector<platform::STATURL> records_;
  std::size_t next_ = 0;
  std::string prefix_;
};
}  // namespace

platform::HRESULT MemoryStore::AddUrl(const std::string& url, const std::string& title,
                                      std::uint32_t flags) {
  if (state_.failWith < 0) return state_.failWith;
  platform::STATURL r = record(url, title.c_str());
  r.dwFlags = flags;
  state_.records.push_back(r);
  return platform::S_OK;
}

platform::HRESULT MemoryStore::DeleteUrl(const std::string& url, std::uint32_t) {
  if (state_.failWith < 0) return state_.failWith;
  state_.deleted.push_back(url);
  std::erase_if(state_.records, [&](const platform::STATURL& r) { return r.url == url; });
  return platform::S_OK;
}

platform::HRESULT MemoryStore::EnumUrls(std::unique_ptr<platform::EnumSTATURL>& out) {
  ++state_.enumerations;
  if (state_.enumFailWith < 0) return state_.enumFailWith;
  out = std::make_unique<MemoryEnum>(state_.records);
  return platform::S_OK;
}

platform::HRESULT MemoryStore::ClearHistory() {
  if (state_.onClear) state_.onClear();
  if (state_.failWith < 0) return state_.failWith;
  ++state_.clears;
  state_.records.clear();
  return platform::S_OK;
}

platform::STATURL record(const std::string& url, const char* title, std::uint64_t visited) {
  platform::STATURL r;
  r.url = url;
  r.hasTitle = title != nullptr;
  r.title = title ? title : "";
  r.ftLastVisited.value = visited;
  r.ftLastUpdated.value = visited;
  return r;
}

}  // namespace historytest

#include "traces/url_history.h"

namespace traces {

CURLHistory::CURLHistory(std::unique_ptr<platform::UrlHistoryStg> store)
    : store_(std::move(store)) {}

void CURLHistory::Clear() {
  platform::HRESULT hr = store_->ClearHistory();
  if (hr < 0) throw HistoryError(hr, store_->lastErrorText());
  Refresh();
}

void CURLHistory::Refresh(const std::string*, std::uint32_t) {}

}  // namespace traces

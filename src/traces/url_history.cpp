#include "traces/url_history.h"

#include "traces/ole_date.h"

namespace traces {

double URLHistoryItem::LastVisited() const {
  return fileTimeToLocalDateValue(Stat.ftLastVisited.value);
}

double URLHistoryItem::Expires() const {
  return fileTimeToLocalDateValue(Stat.ftExpires.value);
}

double URLHistoryItem::LastUpdated() const {
  return fileTimeToLocalDateValue(Stat.ftLastUpdated.value);
}

CURLHistory::CURLHistory(std::unique_ptr<platform::UrlHistoryStg> store)
    : store_(std::move(store)) {
  if (!store_)
    throw HistoryError(platform::E_FAIL, "The history of visited sites cannot be reached.");
  Refresh();
}

void CURLHistory::check(platform::HRESULT hr) const {
  if (hr < 0) throw HistoryError(hr, store_->lastErrorText());
}

void CURLHistory::AddURL(const std::string& url, const std::string& title, std::uint32_t flags) {
  check(store_->AddUrl(url, title, flags));
}

void CURLHistory::Clear() {
  check(store_->ClearHistory());
  Refresh();
}

void CURLHistory::Refresh(const std::string* urlStartsWith, std::uint32_t flags) {
  std::unique_ptr<platform::EnumSTATURL> enumerator;
  check(store_->EnumUrls(enumerator));
  if (!enumerator) throw HistoryError(platform::E_FAIL, store_->lastErrorText());
  check(enumerator->SetFilter(urlStartsWith, flags));
  entries_.clear();
  items_.reset();
  std::vector<URLHistoryItem> items;
  for (;;) {
    platform::STATURL record;
    std::uint32_t fetched = 0;
    platform::HRESULT hr = enumerator->Next(record, fetched);
    if (hr < 0) {
      install(std::move(items));  // the entries read so far stay
      check(hr);
    }
    if (fetched == 0) break;
    items.emplace_back().Init(std::move(record));
  }
  install(std::move(items));
}

void CURLHistory::install(std::vector<URLHistoryItem> items) {
  items_ = std::make_shared<const std::vector<URLHistoryItem>>(std::move(items));
  entries_.reserve(items_->size());
  for (const URLHistoryItem& item : *items_) entries_.push_back(&item);
}

std::size_t CURLHistory::position(std::int32_t index) const {
  if (index < 1 || index > Count())
    throw std::out_of_range("Invalid procedure call or argument: history index " +
                            std::to_string(index));
  return static_cast<std::size_t>(index - 1);
}

URLHistoryItemPtr CURLHistory::Item(std::int32_t index) const {
  return URLHistoryItemPtr(items_, entries_[position(index)]);
}

void CURLHistory::Remove(std::int32_t index) {
  const std::size_t at = position(index);
  check(store_->DeleteUrl(entries_[at]->URL(), 0));
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
}

void CURLHistory::DeleteURL(const std::string& url, std::uint32_t flags) {
  check(store_->DeleteUrl(url, flags));
  Refresh();
}

}  // namespace traces

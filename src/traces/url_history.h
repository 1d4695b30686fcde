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

// One record of the store. The stored times stay in UTC; every read of a date
// converts anew, so reading a date twice gives the same value.
class URLHistoryItem {
 public:
  double LastVisited() const;
  double Expires() const;
  double LastUpdated() const;
  const std::string& URL() const { return Stat.url; }
  std::uint32_t Flags() const { return Stat.dwFlags; }
  // Empty when the record has no title.
  const std::string& Title() const { return Stat.title; }
  // The browser and profile the record is of; empty when the store does not say.
  const std::string& Browser() const { return Stat.browser; }
  // The record as the store gave it, its times in UTC (0 for none).
  const platform::STATURL& Record() const { return Stat; }

 private:
  friend class CURLHistory;
  void Init(platform::STATURL&& record) { Stat = std::move(record); }
  platform::STATURL Stat;
};

using URLHistoryItemPtr = std::shared_ptr<const URLHistoryItem>;

class CURLHistory {
 public:
  // Takes the store and refreshes the snapshot at once; throws HistoryError
  // when the store is null or the enumeration fails.
  explicit CURLHistory(std::unique_ptr<platform::UrlHistoryStg> store);

  // Adds to the store only: the snapshot shows it after the next Refresh.
  void AddURL(const std::string& url, const std::string& title, std::uint32_t flags);
  std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
  // Empties the store, then refreshes with no filter.
  void Clear();
  // Rebuilds the snapshot; a null prefix with flags 0 lists every entry.
  void Refresh(const std::string* urlStartsWith = nullptr, std::uint32_t flags = 0);
  // The entry at a 1-based position; std::out_of_range outside 1..Count.
  URLHistoryItemPtr Item(std::int32_t index) const;
  // Deletes that entry's URL from the store and drops it from the snapshot
  // without a new enumeration. Outside 1..Count it throws std::out_of_range
  // and deletes nothing.
  void Remove(std::int32_t index);
  // Deletes a URL from the store, then refreshes with no filter.
  void DeleteURL(const std::string& url, std::uint32_t flags);

  // The store itself, for the clearing core.
  platform::UrlHistoryStg& store() { return *store_; }

  // The snapshot in the store's order, entry by entry.
  using const_iterator = std::vector<const URLHistoryItem*>::const_iterator;
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  void check(platform::HRESULT hr) const;
  std::size_t position(std::int32_t index) const;
  void install(std::vector<URLHistoryItem> items);

  std::unique_ptr<platform::UrlHistoryStg> store_;
  // The items of the last Refresh, in one block: an item handed out by Item
  // shares the block, so it outlives the snapshot while it is held.
  std::shared_ptr<const std::vector<URLHistoryItem>> items_;
  std::vector<const URLHistoryItem*> entries_;
};

}  // namespace traces

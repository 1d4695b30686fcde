#include "traces/cache_page.h"

#include <cstring>
#include <memory>
#include <new>
#include <set>
#include <vector>

#include "forms/message_box.h"
#include "identity.h"
#include "platform/cache_wipe_options.h"
#include "traces/clear_failures.h"

namespace traces {

namespace {

// One entry buffer, of exactly the size the probe reported; freed when it
// goes out of scope, so no path leaves it behind.
using EntryBuffer = std::unique_ptr<unsigned char[]>;

EntryBuffer allocateEntryBuffer(std::uint32_t size) {
  if (size < sizeof(std::uint32_t)) return nullptr;
  EntryBuffer buffer(new (std::nothrow) unsigned char[size]);
  if (buffer) std::memcpy(buffer.get(), &size, sizeof size);  // dwStructSize
  return buffer;
}

// A string of the record when it lies wholly inside the buffer; null otherwise.
const char* stringInBuffer(const unsigned char* buffer, std::uint32_t size, const char* text) {
  // Compared as addresses: a string pointing outside the buffer is never read.
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer);
  const auto at = reinterpret_cast<std::uintptr_t>(text);
  if (!text || at < begin || at >= begin + size) return nullptr;
  if (!std::memchr(text, '\0', size - (at - begin))) return nullptr;
  return text;
}

// The entry's name and browser when it is a normal entry whose name lies
// inside the buffer; false otherwise.
bool normalEntry(const unsigned char* buffer, std::uint32_t size, const char*& name,
                 const char*& browser) {
  if (size < sizeof(platform::UrlCacheEntryInfo)) return false;
  platform::UrlCacheEntryInfo info;
  std::memcpy(&info, buffer, sizeof info);
  if ((info.CacheEntryType & platform::NORMAL_CACHE_ENTRY) != platform::NORMAL_CACHE_ENTRY)
    return false;
  name = stringInBuffer(buffer, size, info.lpszSourceUrlName);
  browser = stringInBuffer(buffer, size, info.lpszBrowser);
  return name != nullptr;
}

// One enumeration of the cache: a size probe before every fetch, one buffer
// of exactly the probed size alive at a time. Whatever way the walk ends, the
// buffer is freed and then the handle closed (handle 0 too).
class CacheWalk {
 public:
  explicit CacheWalk(platform::UrlCache& cache) : cache_(cache) {}
  ~CacheWalk() {
    buffer_.reset();
    cache_.FindCloseUrlCache(handle_);
  }
  CacheWalk(const CacheWalk&) = delete;
  CacheWalk& operator=(const CacheWalk&) = delete;

  // Appends the name and browser of every normal entry, in the cache's
  // order; a failed probe, allocation or fetch ends the walk with the names
  // found so far.
  void readAll(std::vector<std::string>& names, std::vector<std::vector<std::string>>& browsers) {
    std::uint32_t size = 0;
    handle_ = cache_.FindFirstUrlCacheEntry(nullptr, &size);
    if (handle_ != 0 || cache_.GetLastError() != platform::ERROR_INSUFFICIENT_BUFFER) return;
    if (!allocate(size)) return;
    handle_ = cache_.FindFirstUrlCacheEntry(buffer_.get(), &size);
    bool fetched = handle_ != 0;
    while (fetched) {
      const char* name = nullptr;
      const char* browser = nullptr;
      if (normalEntry(buffer_.get(), allocated_, name, browser)) {
        names.push_back(CachePage::GetStrFromPtrA(name));
        browsers.push_back({CachePage::GetStrFromPtrA(browser)});
      }
      buffer_.reset();
      size = 0;
      cache_.FindNextUrlCacheEntry(handle_, nullptr, &size);
      if (size == 0) return;  // no entry left
      fetched = allocate(size) && cache_.FindNextUrlCacheEntry(handle_, buffer_.get(), &size);
    }
  }

 private:
  bool allocate(std::uint32_t size) {
    buffer_ = allocateEntryBuffer(size);
    allocated_ = size;
    return buffer_ != nullptr;
  }

  platform::UrlCache& cache_;
  platform::CacheHandle handle_ = 0;
  EntryBuffer buffer_;
  std::uint32_t allocated_ = 0;
};

}  // namespace

CachePage::CachePage(platform::Platform& platform, forms::PageHost host,
                     const forms::CheckBox* secureForAll)
    : platform_(platform), host_(host), secureForAll_(secureForAll) {
  List1.setColumnHeaders({"URL", "Browser"});
}

void CachePage::withSecureRemoval(const std::function<void()>& deletions) {
  auto* options = dynamic_cast<platform::CacheWipeOptions*>(&platform_.urlCache);
  if (!options || !secureForAll_ || secureForAll_->Value() != 1) {
    deletions();
    return;
  }
  // One session for the whole batch: what other programs hold open is read
  // once.
  std::unique_ptr<platform::OverwriteSession> session =
      platform_.files.beginOverwrite(platform::OverwriteOptions{});
  options->setOverwriteSession(session.get());
  try {
    deletions();
  } catch (...) {
    options->setOverwriteSession(nullptr);
    throw;
  }
  options->setOverwriteSession(nullptr);
}

void CachePage::GetCacheURLList() {
  forms::HourglassGuard busy(host_.form);
  List1.Clear();
  // Shown in one change when the walk ends.
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> browsers;
  CacheWalk(platform_.urlCache).readAll(names, browsers);
  List1.setItems(std::move(names), std::move(browsers));
}

void CachePage::loadCacheContents() {
  GetCacheURLList();
}

std::string CachePage::GetStrFromPtrA(const char* address) {
  if (!address) return {};
  return std::string(address, std::strlen(address));
}

std::string CachePage::lineText(std::int64_t i) const {
  const std::vector<std::string>& details = List1.Details(i);
  const std::string browser = details.empty() ? std::string() : details.front();
  return browser.empty() ? List1.List(i) : List1.List(i) + " (" + browser + ")";
}

platform::ClearOutcome CachePage::previewDeletecache() const {
  platform::ClearOutcome outcome;
  std::set<std::string> seen;  // a line again of a URL is gone with the first
  const bool deleteCookies = chkDelCachedPasswords.Value() == 1;
  for (std::int64_t i = 0; i < List1.ListCount(); ++i) {
    if (!deleteCookies && List1.List(i).find("Cookie") != std::string::npos) continue;
    std::string line = lineText(i);
    if (!seen.insert(line).second) continue;
    ++outcome.removed;
    outcome.items.push_back(std::move(line));
  }
  // The entries too damaged to be listed, which deletecache removes too.
  outcome.add(platform_.urlCache.PreviewDamagedEntries(!deleteCookies));
  return outcome;
}

// Deletes the entries of item i (its URL in its browser and profile); what
// could not be deleted goes into outcome with the reason. An entry already
// gone (with an earlier line of the same URL) is no failure.
void CachePage::deleteEntry(std::int64_t i, platform::ClearOutcome& outcome) {
  const std::string& name = List1.List(i);
  const std::vector<std::string>& details = List1.Details(i);
  const std::string browser = details.empty() ? std::string() : details.front();
  if (platform_.urlCache.DeleteUrlCacheEntryOf(name, browser)) {
    ++outcome.removed;
    outcome.items.push_back(lineText(i));
    return;
  }
  const std::uint32_t error = platform_.urlCache.GetLastError();
  if (error == platform::ERROR_FILE_NOT_FOUND) return;
  std::string reason = platform_.urlCache.LastFailureReason();
  if (reason.empty())
    reason = error == platform::ERROR_SHARING_VIOLATION ? "its browser is running"
                                                        : "it could not be removed";
  outcome.fail(lineText(i), reason);
}

void CachePage::deletecache(platform::ClearOutcome* outcome) {
  platform::ClearOutcome result;
  {
    forms::HourglassGuard busy(host_.form);
    const bool deleteCookies = chkDelCachedPasswords.Value() == 1;
    const std::int64_t last = List1.ListCount() - 1;
    withSecureRemoval([&] {
      for (std::int64_t i = 0; i <= last; ++i) {
        // The view repaints the status bar as the progress changes.
        host_.sbar.setProgress(i + 1, last + 1);
        if (!deleteCookies && List1.List(i).find("Cookie") != std::string::npos) continue;
        deleteEntry(i, result);
      }
      // Entries too damaged to be listed go too, under the same rule for cookies.
      result.add(platform_.urlCache.DeleteDamagedEntries(!deleteCookies));
    });
    host_.sbar.setProgress(0, 0);
    GetCacheURLList();
  }
  if (outcome) outcome->add(result);
  lastOutcome_ = std::move(result);
}

void CachePage::tellFailures(const platform::ClearOutcome& outcome) {
  if (outcome.ok()) return;
  const std::size_t n = outcome.failures.size();
  platform_.msgbox.show(
      notClearedText(std::to_string(n) + (n == 1 ? " cache entry was" : " cache entries were") +
                         " not deleted:",
                     outcome, "entry", "entries"),
      forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
}

void CachePage::invertsel() {
  const std::int64_t count = List1.ListCount();
  std::vector<bool> selection(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i)
    selection[static_cast<std::size_t>(i)] = !List1.Selected(i);
  List1.setSelection(std::move(selection));
}

void CachePage::cmdDelSelFromCache_Click() {
  // Every selected entry goes, not only the focused one; none selected deletes nothing.
  platform::ClearOutcome outcome;
  {
    forms::HourglassGuard busy(host_.form);
    withSecureRemoval([&] {
      for (std::int64_t i = List1.ListCount() - 1; i >= 0; --i)
        if (List1.Selected(i)) deleteEntry(i, outcome);
    });
  }
  GetCacheURLList();
  tellFailures(outcome);
}

void CachePage::cmdDelAllFromCache_Click() {
  host_.sbar.setPanelText(1, "Clearing cache...");
  deletecache();
  host_.sbar.setPanelText(1, "");
  tellFailures(lastOutcome_);
}

void CachePage::cmdinvertcachesel_Click() {
  invertsel();
}

}  // namespace traces

// The URL history store on Linux: the union of the histories of every browser
// profile found (Firefox-family places.sqlite, Chromium-family History).
//
// Listing reads each database where it lies while its browser is closed, and
// a private copy (with its -wal or -journal) while the browser runs or holds
// the database locked; the live file is never read under the browser's lock.
// Deleting and clearing write only when no profile's browser runs and every
// database can be locked for writing; otherwise nothing is changed anywhere
// and lastErrorText() names the browsers to close. Adding a URL is refused
// (E_NOTIMPL): a browser's history rows carry hashes, origins and ranking
// data of the browser's own that an outside writer cannot keep consistent.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "platform/url_history.h"

namespace platform::linux_os {

using ProfileProvider = std::function<std::vector<browsers::BrowserProfile>()>;
using RunningCheck = std::function<bool(const browsers::BrowserProfile&)>;
// The folders that hold profiles but may not be entered (searchBrowserProfiles'
// refusals): a clearing tells each, so no history is left unsaid.
using RefusalProvider = std::function<std::vector<ClearFailure>()>;

class LinuxUrlHistory : public UrlHistoryStg {
 public:
  LinuxUrlHistory(ProfileProvider profiles, RunningCheck running, RefusalProvider refused = {});

  HRESULT AddUrl(const std::string& url, const std::string& title, std::uint32_t flags) override;
  HRESULT DeleteUrl(const std::string& url, std::uint32_t flags) override;
  HRESULT DeleteUrls(const std::vector<std::string>& urls) override;
  HRESULT EnumUrls(std::unique_ptr<EnumSTATURL>& out) override;
  HRESULT ClearHistory() override;
  std::string lastErrorText() const override { return lastError_; }
  ClearOutcome lastOutcome() const override { return outcome_; }
  std::vector<ClearFailure> unreachedStores() const override {
    return refused_ ? refused_() : std::vector<ClearFailure>();
  }
  void setProgress(Progress progress) override { progress_ = std::move(progress); }

 private:
  struct Target;
  using Change = std::function<int(Target&, std::string& error)>;
  HRESULT changeEverywhere(const Change& change, const std::vector<std::string>* urls);
  HRESULT fail(HRESULT code, std::string text);
  void step(std::int64_t done, std::int64_t total) const {
    if (progress_) progress_(done, total);
  }

  ProfileProvider profiles_;
  RunningCheck running_;
  RefusalProvider refused_;
  std::string lastError_;
  ClearOutcome outcome_;
  Progress progress_;
};

class LinuxHistoryFactory : public UrlHistoryFactory {
 public:
  // The profiles of the live environment, judged running by their own locks.
  LinuxHistoryFactory();
  LinuxHistoryFactory(ProfileProvider profiles, RunningCheck running, RefusalProvider refused = {});
  std::unique_ptr<UrlHistoryStg> create() override;

 private:
  ProfileProvider profiles_;
  RunningCheck running_;
  RefusalProvider refused_;
};

}  // namespace platform::linux_os

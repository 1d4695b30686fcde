// The "Cache" page of the main window.
#pragma once

#include <functional>
#include <string>

#include "core/cache_area.h"
#include "core/url_cache_source.h"
#include "forms/page_host.h"
#include "forms/platform.h"
#include "platform/clear_outcome.h"

namespace traces {

class CachePage {
 public:
  // secureForAll, when given, is the "Secure Wipe all other areas" box: while
  // it is ticked, deleted entries' files are overwritten before removal.
  // sources are where the entries are; none means the system's URL cache,
  // which besideUrlCache lists before them.
  CachePage(forms::Platform& platform, forms::PageHost host,
            const forms::CheckBox* secureForAll = nullptr,
            std::vector<core::CacheSource*> sources = {}, bool besideUrlCache = false);

  forms::Frame Frame3{"Frame3", "Cache Contents"};
  forms::ListBox List1{"List1"};
  forms::CheckBox chkDelCachedPasswords{"chkDelCachedPasswords", "Delete Cached passwords"};
  forms::CommandButton cmdinvertcachesel{"cmdinvertcachesel", "Invert Selection"};
  forms::CommandButton cmdDelSelFromCache{"cmdDelSelFromCache", "Delete Selected"};
  forms::CommandButton cmdDelAllFromCache{"cmdDelAllFromCache", "Clear Cache"};

  void GetCacheURLList();
  void loadCacheContents();
  static std::string GetStrFromPtrA(const char* address);
  // Deletes the listed entries and tells nobody; outcome, when given,
  // receives what was removed and what was left, with the reasons.
  void deletecache(platform::ClearOutcome* outcome = nullptr);
  // What deletecache would delete of the listed entries, from the same list
  // and rule, deleting nothing.
  platform::ClearOutcome previewDeletecache() const;
  // The list as a plan: what the automatic run and the buttons work on.
  core::CachePlan listed() const;
  void invertsel();
  void cmdDelSelFromCache_Click();
  void cmdDelAllFromCache_Click();
  void cmdinvertcachesel_Click();

 private:
  // deleteCookieEntries, and the overwrite while the secure box is ticked.
  core::CacheOptions options(bool deleteCookieEntries) const;
  // A box naming what was left and why (the browser to close); none when
  // everything went.
  void tellFailures(const platform::ClearOutcome& outcome);

  forms::Platform& platform_;
  forms::PageHost host_;
  const forms::CheckBox* secureForAll_;
  core::UrlCacheSource legacy_;
  core::CacheArea area_;
  core::CachePlan plan_;                // of the last listing
  platform::ClearOutcome lastOutcome_;  // of the last deletecache
};

}  // namespace traces

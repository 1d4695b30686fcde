// The "Cache" page of the main window.
#pragma once

#include <functional>
#include <string>

#include "forms/page_host.h"
#include "platform/clear_outcome.h"
#include "platform/platform.h"

namespace traces {

class CachePage {
 public:
  // secureForAll, when given, is the "Secure Wipe all other areas" box: while
  // it is ticked, deleted entries' files are overwritten before removal.
  CachePage(platform::Platform& platform, forms::PageHost host,
            const forms::CheckBox* secureForAll = nullptr);

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
  void invertsel();
  void cmdDelSelFromCache_Click();
  void cmdDelAllFromCache_Click();
  void cmdinvertcachesel_Click();

 private:
  void deleteEntry(std::int64_t i, platform::ClearOutcome& outcome);
  // Runs deletions, with the entries' files overwritten first while the
  // secure box is ticked and the cache can do it.
  void withSecureRemoval(const std::function<void()>& deletions);
  // A box naming what was left and why (the browser to close); none when
  // everything went.
  void tellFailures(const platform::ClearOutcome& outcome);

  platform::Platform& platform_;
  forms::PageHost host_;
  const forms::CheckBox* secureForAll_;
  platform::ClearOutcome lastOutcome_;  // of the last deletecache
};

}  // namespace traces

// The "Cache" page of the main window.
#pragma once

#include <string>

#include "forms/page_host.h"
#include "platform/clear_outcome.h"
#include "platform/platform.h"

namespace traces {

class CachePage {
 public:
  CachePage(platform::Platform& platform, forms::PageHost host);

  forms::Frame Frame3{"Frame3", "Cache Contents"};
  forms::ListBox List1{"List1"};
  forms::CheckBox chkDelCachedPasswords{"chkDelCachedPasswords", "Delete Cached passwords"};
  forms::CommandButton cmdinvertcachesel{"cmdinvertcachesel", "Invert Selection"};
  forms::CommandButton cmdDelSelFromCache{"cmdDelSelFromCache", "Delete Selected"};
  forms::CommandButton cmdDelAllFromCache{"cmdDelAllFromCache", "Clear Cache"};

  void GetCacheURLList();
  void loadCacheContents();
  static std::string GetStrFromPtrA(const char* address);
  // What went, and every entry that could not be removed with the reason,
  // for the run's report.
  platform::ClearOutcome deletecache();
  void invertsel();
  void cmdDelSelFromCache_Click();
  void cmdDelAllFromCache_Click();
  void cmdinvertcachesel_Click();

 private:
  // Deletes item i of List1 from the cache; a failure goes into outcome.
  void deleteItem(std::int64_t i, platform::ClearOutcome& outcome);

  platform::Platform& platform_;
  forms::PageHost host_;
};

}  // namespace traces

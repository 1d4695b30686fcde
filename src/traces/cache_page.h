// The "Cache" page of the main window.
#pragma once

#include <string>

#include "forms/page_host.h"
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
  // Deletes every listed entry (but those holding "Cookie" unless the box is
  // ticked) and lists anew; a preview names the same entries and deletes
  // nothing.
  platform::ClearOutcome deletecache(bool preview = false);
  void invertsel();
  void cmdDelSelFromCache_Click();
  void cmdDelAllFromCache_Click();
  void cmdinvertcachesel_Click();

 private:
  platform::Platform& platform_;
  forms::PageHost host_;
};

}  // namespace traces

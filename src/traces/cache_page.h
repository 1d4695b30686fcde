// The "Cache" page of the main window.
#pragma once

#include <string>
#include <vector>

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
  // Deletes every listed entry (but those holding "Cookie" unless the box is
  // ticked) and lists anew; outcome, when given, receives what was removed
  // and what was left, with the reasons.
  void deletecache(platform::ClearOutcome* outcome = nullptr);
  // What deletecache would delete, from the same list, deleting nothing.
  platform::ClearOutcome previewDeletecache() const;
  void invertsel();
  void cmdDelSelFromCache_Click();
  void cmdDelAllFromCache_Click();
  void cmdinvertcachesel_Click();

 private:
  std::vector<std::string> namesToDelete() const;

  platform::Platform& platform_;
  forms::PageHost host_;
};

}  // namespace traces

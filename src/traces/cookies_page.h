// The "Cookies" page of the main window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms/page_host.h"
#include "platform/clear_outcome.h"
#include "platform/cookie_wipe_options.h"
#include "platform/platform.h"

namespace traces {

class CookiesPage {
 public:
  // showIndexDat is the process-wide flag, true until the first deletion;
  // secureForAll is the "Secure Wipe all other areas" box.
  CookiesPage(platform::Platform& platform, forms::PageHost host, bool& showIndexDat,
              const forms::CheckBox& secureForAll);

  forms::Frame Frame2{"Frame2", "Cookie Information"};
  forms::Label lblCookieDir{"lblCookieDir", "Cookie Directory:"};
  forms::TextBox txtCookieDir{"txtCookieDir"};
  forms::Label lblCookies{"lblCookies", "Cookies:"};
  forms::ListView lstcookies{"lstcookies"};
  forms::CommandButton cmdselectallcookies{"cmdselectallcookies", "Select All"};
  forms::CommandButton cmdselectnocookies{"cmdselectnocookies", "Select None"};
  forms::CommandButton cmdinvertcookiesselection{"cmdinvertcookiesselection", "Invert Selection"};
  forms::CommandButton cmddelcookies{"cmddelcookies", "&Delete Cookies"};

  void loadCookiesList();
  void EnumCookies(const std::string& folder);
  // ask true: asks, deletes the selected entries and tells the user of any
  // that could not be deleted. ask false (the automatic run): deletes every
  // entry and tells nobody. Either way outcome, when given, receives what was
  // removed and what was left, with the reasons.
  void deletecookies(bool ask, platform::ClearOutcome* outcome = nullptr);
  void cmddelcookies_Click();
  void cmdselectallcookies_Click();
  void cmdselectnocookies_Click();
  void cmdinvertcookiesselection_Click();

 private:
  bool deleteItemFile(std::int64_t index, platform::ClearOutcome& outcome);
  void deleteEntries(platform::CookieWipeOptions& view, const std::vector<std::int64_t>& indexes,
                     platform::ClearOutcome& outcome);

  platform::Platform& platform_;
  forms::PageHost host_;
  bool& showIndexDat_;
  const forms::CheckBox& secureForAll_;
  std::string cookieFolder_;
  // Counts the listings begun; a listing that lets the interface run stops
  // when a newer one has begun meanwhile.
  std::uint64_t listings_ = 0;
};

}  // namespace traces

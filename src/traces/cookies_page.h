// The "Cookies" page of the main window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/clearing.h"
#include "core/cookie_area.h"
#include "core/cookie_folder_source.h"
#include "core/stores.h"
#include "forms/page_host.h"
#include "forms/platform.h"
#include "platform/clear_outcome.h"

namespace traces {

class CookiesPage {
 public:
  // showIndexDat is the process-wide flag, true until the first deletion;
  // secureForAll is the "Secure Wipe all other areas" box. sources are where
  // the cookies are (the browsers' profiles); none means the shell's cookie
  // folder named in the registry, which besideSystemStores lists before
  // them. naming names hosts as sites for the keep list, which the
  // preferences hold; keptByBrowsers reads the sites the browsers themselves
  // keep (none: nothing to import).
  CookiesPage(forms::Platform& platform, forms::PageHost host, bool& showIndexDat,
              const forms::CheckBox& secureForAll, const core::Stores& stores = {});

  forms::Frame Frame2{"Frame2", "Cookie Information"};
  forms::Label lblCookieDir{"lblCookieDir", "Cookie Directory:"};
  forms::TextBox txtCookieDir{"txtCookieDir"};
  forms::Label lblCookies{"lblCookies", "Cookies:"};
  forms::ListView lstcookies{"lstcookies"};
  forms::CommandButton cmdselectallcookies{"cmdselectallcookies", "Select All"};
  forms::CommandButton cmdselectnocookies{"cmdselectnocookies", "Select None"};
  forms::CommandButton cmdinvertcookiesselection{"cmdinvertcookiesselection", "Invert Selection"};
  forms::CommandButton cmddelcookies{"cmddelcookies", "&Delete Cookies"};
  // The keep list: sites whose cookies no clearing deletes.
  forms::CommandButton cmdkeepcookies{"cmdkeepcookies", "&Keep Selected"};
  forms::Label lblKeptSites{"lblKeptSites", "Sites to keep:"};
  forms::ListBox lstkeptsites{"lstkeptsites"};
  forms::CommandButton cmdunkeepsites{"cmdunkeepsites", "&Remove"};
  forms::CommandButton cmdimportkeptsites{"cmdimportkeptsites", "&Import from Browsers"};

  void loadCookiesList();
  // Appends one item per entry of the plan, a kept one marked " (kept)";
  // does not empty the list first.
  void EnumCookies(const core::CookiePlan& plan);
  // ask true: asks, deletes the selected entries and tells the user of any
  // that could not be deleted. ask false (the automatic run): deletes every
  // entry and tells nobody. Either way outcome, when given, receives what was
  // removed and what was left, with the reasons.
  void deletecookies(bool ask, platform::ClearOutcome* outcome = nullptr);
  // What deletecookies(false) would delete, from the same list, deleting
  // nothing.
  platform::ClearOutcome previewDeletecookies() const;
  // Hands every entry the list shows to a run (given receives the listing's
  // plan, the chosen entries and where their gone flags go); afterRun then
  // takes the entries that went off the list.
  void giveListed(core::GivenPlans& given);
  void afterRun();
  void cmddelcookies_Click();
  void cmdselectallcookies_Click();
  void cmdselectnocookies_Click();
  void cmdinvertcookiesselection_Click();
  // Puts the sites of the selected entries on the keep list.
  void cmdkeepcookies_Click();
  // Takes the selected sites (and entries that are no site) off the keep list.
  void cmdunkeepsites_Click();
  // Adds the sites the browsers always allow to keep cookies, and says how many.
  void cmdimportkeptsites_Click();
  // Fills the list of kept sites from the preferences; an entry that is no
  // site is shown as written, marked " (not understood)".
  void loadKeptSites();

 private:
  // The items that qualify (a text, and selected when selectedOnly), last
  // first so that removing one does not shift those still to come; entries
  // receives the plan's entry of each.
  std::vector<std::int64_t> listedEntries(bool selectedOnly,
                                          std::vector<std::size_t>& entries) const;

  // Changes the stored list (see core::changeKeepList), says so when it
  // could not be saved, then lists the cookies anew so that the marks
  // follow. Whether it was saved.
  bool changeKeepList(const std::function<void(core::KeepList&)>& edit);

  forms::Platform& platform_;
  forms::PageHost host_;
  bool& showIndexDat_;
  const forms::CheckBox& secureForAll_;
  core::CookieFolderSource folderSource_;
  core::SiteNaming naming_;
  std::function<core::BrowserKeptSites()> keptByBrowsers_;
  core::CookieArea area_;
  bool folderOnly_;  // the shell's cookie folder alone: items are files, not sites
  std::string cookieFolder_;
  core::CookiePlan plan_;  // of the last listing: what the list shows
  // The list's items handed to the run, and which of them went.
  std::vector<std::int64_t> runItems_;
  std::vector<bool> runGone_;
  // The stored entries lstkeptsites shows, item by item, as written.
  std::vector<std::string> keptEntries_;
  // Counts the listings begun; a listing that lets the interface run stops
  // when a newer one has begun meanwhile.
  std::uint64_t listings_ = 0;
};

}  // namespace traces

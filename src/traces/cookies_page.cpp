#include "traces/cookies_page.h"

#include <vector>

#include "forms/message_box.h"
#include "identity.h"
#include "platform/cookie_wipe_options.h"
#include "traces/clear_failures.h"
#include "traces/mod_reg.h"

namespace traces {

namespace {
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kPathSeparator = '/';
constexpr const char* kIndexFile = "index.dat";
}  // namespace

CookiesPage::CookiesPage(platform::Platform& platform, forms::PageHost host, bool& showIndexDat,
                         const forms::CheckBox& secureForAll)
    : platform_(platform), host_(host), showIndexDat_(showIndexDat), secureForAll_(secureForAll) {
  lstcookies.ColumnHeaders() = {{"Cookie Name", 0}, {"Cookie Path", 0}};
}

void CookiesPage::loadCookiesList() {
  ++listings_;
  lstcookies.Clear();
  cookieFolder_ = GetRegValue(platform_, platform::HKEY_CURRENT_USER, kShellFoldersKey, "Cookies");
  txtCookieDir.setText(cookieFolder_);
  if (cookieFolder_.empty()) return;
  EnumCookies(cookieFolder_);
}

void CookiesPage::EnumCookies(const std::string& folder) {
  forms::HourglassGuard hourglass(host_.form);
  const std::uint64_t listing = ++listings_;
  std::string dir = folder;
  if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
  auto* view = dynamic_cast<platform::CookieWipeOptions*>(&platform_.files);
  for (const platform::DirEntry& entry : platform_.files.listFolder(dir)) {
    // The interface stays live while a large folder is listed. A click that
    // lists the folder anew (a deletion, the tab) makes this listing moot.
    platform_.windows.doEvents();
    if (listings_ != listing) return;
    if (entry.attributes & platform::kAttrDirectory) continue;
    if (entry.name == kIndexFile && !showIndexDat_) continue;
    std::int64_t index = lstcookies.Add(entry.name, dir + entry.name);
    // Where the cookies really are: a view's entry names the browser's
    // database, a plain folder's file is itself the place.
    std::string where = view ? view->entryLocation(dir + entry.name) : std::string();
    lstcookies.setSubItem(index, 1, where.empty() ? dir + entry.name : where);
  }
  if (lstcookies.Count() > 0) lstcookies.setSelected(lstcookies.Count(), true);
}

// Deletes the file of item i; true when it is gone. A read-only file (75) is
// made normal and tried once more. A failure is added to outcome.
bool CookiesPage::deleteItemFile(std::int64_t index, platform::ClearOutcome& outcome) {
  const std::string path = lstcookies.Item(index).Key;
  int error = platform_.files.deleteFile(path);
  if (error == platform::kErrPathFileAccess) {
    platform_.files.setAttributes(path, platform::kAttrNormal);
    error = platform_.files.deleteFile(path);
  }
  if (error == 0) {
    ++outcome.removed;
    outcome.items.push_back(lstcookies.Item(index).Text);
  } else if (error != platform::kErrFileNotFound) {
    outcome.fail(path, platform_.files.errorText(error));
  }
  return error == 0;
}

// The entries of a cookie view go in batches, one per browser database. As
// with a file, an entry that gives 75 is made normal and tried once more;
// only the last attempt's failures are kept.
void CookiesPage::deleteEntries(platform::CookieWipeOptions& view,
                                const std::vector<std::int64_t>& indexes,
                                platform::ClearOutcome& outcome) {
  std::vector<std::string> paths;
  for (std::int64_t i : indexes) paths.push_back(lstcookies.Item(i).Key);
  // The view repaints the status bar as its progress changes (at most every
  // few tens of milliseconds), also while SQLite works on one database.
  auto progress = [this](std::int64_t done, std::int64_t total) {
    host_.sbar.setProgress(done, total);
  };
  platform::ClearOutcome first;
  std::vector<int> errors = view.deleteEntries(paths, progress, first);
  outcome.removed += first.removed;
  std::vector<std::string> again;
  std::vector<std::size_t> againAt;
  for (std::size_t k = 0; k < errors.size(); ++k) {
    if (errors[k] != platform::kErrPathFileAccess) continue;
    platform_.files.setAttributes(paths[k], platform::kAttrNormal);
    again.push_back(paths[k]);
    againAt.push_back(k);
  }
  if (!again.empty()) {
    platform::ClearOutcome second;
    std::vector<int> retried = view.deleteEntries(again, progress, second);
    for (std::size_t k = 0; k < retried.size(); ++k) errors[againAt[k]] = retried[k];
    outcome.removed += second.removed;
    first.failures = std::move(second.failures);
  }
  outcome.failures.insert(outcome.failures.end(), first.failures.begin(), first.failures.end());
  host_.sbar.setProgress(0, 0);
  // The indexes run from the last item to the first, so removing one does
  // not shift those still to come.
  for (std::size_t k = 0; k < indexes.size(); ++k) {
    if (errors[k] != 0) continue;
    outcome.items.push_back(lstcookies.Item(indexes[k]).Text);
    lstcookies.Remove(indexes[k]);
  }
}

platform::ClearOutcome CookiesPage::previewDeletecookies() const {
  platform::ClearOutcome outcome;
  for (std::int64_t i = lstcookies.Count(); i >= 1; --i) {
    const forms::ListItem& item = lstcookies.Item(i);
    if (item.Text.empty()) continue;
    ++outcome.removed;
    outcome.items.push_back(item.Text);
  }
  // What the clearing would leave because the listing could not reach it.
  if (auto* view = dynamic_cast<platform::CookieWipeOptions*>(&platform_.files))
    outcome.failures = view->unreachedStores();
  return outcome;
}

void CookiesPage::deletecookies(bool ask, platform::ClearOutcome* outcome) {
  showIndexDat_ = false;
  if (ask &&
      platform_.msgbox.show("Are you sure you wish to delete the selected cookies?",
                            forms::vbYesNo | forms::vbQuestion, "Delete Cookies") != forms::vbYes)
    return;
  platform::ClearOutcome result;
  auto* view = dynamic_cast<platform::CookieWipeOptions*>(&platform_.files);
  {
    forms::HourglassGuard hourglass(host_.form);
    if (view) view->setVacuumAfterDelete(secureForAll_.Value() == 1);
    // Last to first, so that removing an item does not shift those still to come.
    std::vector<std::int64_t> chosen;
    for (std::int64_t i = lstcookies.Count(); i >= 1; --i) {
      const forms::ListItem& item = lstcookies.Item(i);
      if (item.Text.empty() || (ask && !item.Selected)) continue;
      if (view)
        chosen.push_back(i);
      else if (deleteItemFile(i, result))
        lstcookies.Remove(i);
    }
    // Called with nothing chosen too: the view tells the stores it could not
    // reach, which no listing shows.
    if (view) deleteEntries(*view, chosen, result);
  }
  // The automatic run stays quiet: its caller reads the outcome.
  if (ask && !result.ok()) {
    const std::string n = std::to_string(result.failures.size());
    const bool one = result.failures.size() == 1;
    const std::string heading =
        view ? "The cookies of " + n + (one ? " site" : " sites") + " were not deleted:"
             : n + (one ? " cookie file was" : " cookie files were") + " not deleted:";
    platform_.msgbox.show(
        notClearedText(heading, result, view ? "site" : "file", view ? "sites" : "files"),
        forms::vbOKOnly | forms::vbExclamation, identity::kAppTitle);
  }
  if (outcome) outcome->add(result);
}

void CookiesPage::cmddelcookies_Click() {
  host_.sbar.setPanelText(1, "Deleting cookies...");
  deletecookies(true);
  loadCookiesList();
  host_.sbar.setPanelText(1, "");
}

void CookiesPage::cmdselectallcookies_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, true);
  lstcookies.SetFocus();
}

void CookiesPage::cmdselectnocookies_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, false);
}

void CookiesPage::cmdinvertcookiesselection_Click() {
  const std::int64_t count = lstcookies.Count();
  for (std::int64_t i = 1; i <= count; ++i) lstcookies.setSelected(i, !lstcookies.Item(i).Selected);
  lstcookies.SetFocus();
}

}  // namespace traces

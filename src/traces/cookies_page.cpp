#include "traces/cookies_page.h"

#include "platform/cookie_wipe_options.h"
#include "traces/mod_reg.h"

namespace traces {

namespace {
constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kPathSeparator = '/';
constexpr const char* kIndexFile = "index.dat";
// Why an entry stayed, in plain words. An entry whose deletion is refused
// as in use belongs to a browser that is running.
std::string whyItStayed(platform::FileLayer& files, const std::string& entry, int error) {
  if (error != platform::kErrPathFileAccess) return files.errorText(error);
  return "in use: " + entry.substr(0, entry.find('@')) + " is running; close it and clear again";
}

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
  for (const platform::DirEntry& entry : platform_.files.listFolder(dir)) {
    // The interface stays live while a large folder is listed. A click that
    // lists the folder anew (a deletion, the tab) makes this listing moot.
    platform_.windows.doEvents();
    if (listings_ != listing) return;
    if (entry.attributes & platform::kAttrDirectory) continue;
    if (entry.name == kIndexFile && !showIndexDat_) continue;
    std::int64_t index = lstcookies.Add(entry.name, dir + entry.name);
    lstcookies.setSubItem(index, 1, dir + entry.name);
  }
  if (lstcookies.Count() > 0) lstcookies.setSelected(lstcookies.Count(), true);
}

// Deletes the file of item i; 0 when it is gone, else the error number. A
// read-only file (75) is made normal and tried once more.
int CookiesPage::deleteItemFile(std::int64_t index) {
  const std::string path = lstcookies.Item(index).Key;
  int error = platform_.files.deleteFile(path);
  if (error == platform::kErrPathFileAccess) {
    platform_.files.setAttributes(path, platform::kAttrNormal);
    error = platform_.files.deleteFile(path);
  }
  return error == platform::kErrFileNotFound ? 0 : error;
}

platform::ClearOutcome CookiesPage::previewDeletecookies() const {
  platform::ClearOutcome outcome;
  for (std::int64_t i = lstcookies.Count(); i >= 1; --i) {
    const forms::ListItem& item = lstcookies.Item(i);
    if (item.Text.empty()) continue;
    ++outcome.removed;
    outcome.items.push_back(item.Text);
  }
  return outcome;
}

void CookiesPage::deletecookies(bool ask, platform::ClearOutcome* outcome) {
  showIndexDat_ = false;
  if (ask &&
      platform_.msgbox.show("Are you sure you wish to delete the selected cookies?",
                            forms::vbYesNo | forms::vbQuestion, "Delete Cookies") != forms::vbYes)
    return;
  forms::HourglassGuard hourglass(host_.form);
  if (auto* options = dynamic_cast<platform::CookieWipeOptions*>(&platform_.files))
    options->setVacuumAfterDelete(secureForAll_.Value() == 1);
  platform::ClearOutcome told;
  // Last to first, so that removing an item does not shift those still to come.
  for (std::int64_t i = lstcookies.Count(); i >= 1; --i) {
    const forms::ListItem& item = lstcookies.Item(i);
    if (item.Text.empty() || (ask && !item.Selected)) continue;
    if (int error = deleteItemFile(i)) {
      told.fail(item.Text, whyItStayed(platform_.files, item.Text, error));
      continue;
    }
    ++told.removed;
    told.items.push_back(item.Text);
    lstcookies.Remove(i);
  }
  if (outcome) outcome->add(told);
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

#include "platform/linux/browsers/cookie_folder_file_layer.h"

#include <set>

#include "browsers/cookies/cookie_store.h"
#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

namespace {

// Error number for a cookie database that could not be changed for another
// reason than its browser ("Device I/O error"): not retried.
constexpr int kErrDeviceIo = 57;

std::string withoutExtraSlashes(const std::string& path) {
  std::string out;
  for (char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out.push_back(c);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool isCookieFolder(const std::string& folder) {
  return withoutExtraSlashes(folder) == withoutExtraSlashes(cookieFolder());
}

// The entry name when the path names something inside the cookie folder.
std::optional<std::string> entryName(const std::string& path) {
  const std::string clean = withoutExtraSlashes(path);
  std::string name = nameOf(clean);
  if (name.empty() || name == clean) return std::nullopt;  // "/", or no folder part
  if (!isCookieFolder(folderOf(clean))) return std::nullopt;
  return name;
}

std::string labelPart(const std::string& text) {
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    out.push_back(c == '@' || c == '/' || u < 0x20 || u == 0x7f ? '_' : c);
  }
  return out;
}

// The failure of an entry in plain words.
std::string reasonFor(const browsers::BrowserProfile& profile,
                      browsers::CookieDeleteResult result) {
  if (result == browsers::CookieDeleteResult::InUse)
    return browsers::browserRunning(profile) ? browsers::displayName(profile) + " is running"
                                             : "the cookies of " + browsers::displayName(profile) +
                                                   " are locked by another program";
  return "the cookies of " + browsers::displayName(profile) + " could not be changed";
}

int errorOf(browsers::CookieDeleteResult result) {
  switch (result) {
    case browsers::CookieDeleteResult::Deleted:
      return 0;
    case browsers::CookieDeleteResult::NotFound:
      return kErrFileNotFound;
    case browsers::CookieDeleteResult::InUse:
      return kErrPathFileAccess;
    case browsers::CookieDeleteResult::Failed:
      break;
  }
  return kErrDeviceIo;
}

}  // namespace

std::vector<LabelledProfile> labelledProfiles(
    const std::vector<browsers::BrowserProfile>& profiles) {
  std::vector<LabelledProfile> labelled;
  std::set<std::string> used;
  for (const browsers::BrowserProfile& profile : profiles) {
    const std::string base = labelPart(profile.browser) + "." + labelPart(profile.name);
    std::string label = base;
    for (int n = 2; !used.insert(label).second; ++n) label = base + " (" + std::to_string(n) + ")";
    labelled.push_back({label, profile});
  }
  return labelled;
}

struct CookieFolderFileLayer::Target {
  browsers::BrowserProfile profile;
  std::string label;
  std::string site;
};

std::optional<CookieFolderFileLayer::Target> CookieFolderFileLayer::targetOf(
    const std::string& name) {
  const std::size_t at = name.find('@');
  if (at == std::string::npos) return std::nullopt;
  const std::string label = name.substr(0, at);
  if (!listed_.contains(label)) refreshProfiles();
  auto it = listed_.find(label);
  if (it == listed_.end()) return std::nullopt;
  return Target{it->second, label, name.substr(at + 1)};
}

std::vector<ClearFailure> CookieFolderFileLayer::refreshProfiles() {
  browsers::ProfileSearch search = browsers::searchBrowserProfiles();
  listed_.clear();
  for (LabelledProfile& labelled : labelledProfiles(search.profiles))
    listed_.emplace(labelled.label, std::move(labelled.profile));
  return std::move(search.refused);
}

std::vector<DirEntry> CookieFolderFileLayer::listFolder(const std::string& folder) {
  if (!isCookieFolder(folder)) return inner_.listFolder(folder);
  std::vector<DirEntry> entries;
  listed_.clear();
  unread_.clear();
  for (LabelledProfile& labelled : labelledProfiles(browsers::findBrowserProfiles())) {
    browsers::CookieSites listed = browsers::listCookieSites(labelled.profile);
    if (!listed.problem.empty())
      unread_.push_back(
          {browsers::cookieDatabasePath(labelled.profile), std::move(listed.problem)});
    for (const std::string& site : listed.sites)
      entries.push_back({labelled.label + "@" + site, kAttrNormal});
    listed_.emplace(labelled.label, std::move(labelled.profile));
  }
  return entries;
}

int CookieFolderFileLayer::deleteFile(const std::string& path) {
  if (!entryName(path)) return inner_.deleteFile(path);
  ClearOutcome outcome;
  return deleteEntries({path}, {}, outcome).front();
}

std::string CookieFolderFileLayer::entryLocation(const std::string& path) {
  std::optional<std::string> name = entryName(path);
  if (!name) return {};
  std::optional<Target> target = targetOf(*name);
  return target ? browsers::cookieDatabasePath(target->profile) : std::string();
}

std::vector<ClearFailure> CookieFolderFileLayer::unreachedStores() {
  std::vector<ClearFailure> unreached = browsers::searchBrowserProfiles().refused;
  unreached.insert(unreached.end(), unread_.begin(), unread_.end());
  return unreached;
}

// The entries are grouped by profile, so each database is opened, changed in
// one transaction and checkpointed once.
std::vector<int> CookieFolderFileLayer::deleteEntries(const std::vector<std::string>& paths,
                                                      const Progress& progress,
                                                      ClearOutcome& outcome) {
  std::vector<int> errors(paths.size(), kErrFileNotFound);
  struct Group {
    browsers::BrowserProfile profile;
    std::vector<std::size_t> indexes;
    std::vector<std::string> sites;
  };
  std::map<std::string, Group> byProfile;
  // The profiles are found anew once per call; a folder of profiles that may
  // not be entered is told, even when nothing of it could be listed, and so
  // is a database that the last listing could not read: its cookies stay.
  for (ClearFailure& refused : refreshProfiles())
    outcome.fail(std::move(refused.item), std::move(refused.reason));
  for (const ClearFailure& unread : unread_) outcome.fail(unread.item, unread.reason);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::optional<std::string> name = entryName(paths[i]);
    if (!name) {
      errors[i] = inner_.deleteFile(paths[i]);
      if (errors[i] == 0)
        ++outcome.removed;
      else if (errors[i] != kErrFileNotFound)
        outcome.fail(paths[i], inner_.errorText(errors[i]));
      continue;
    }
    std::optional<Target> target = targetOf(*name);
    if (!target) continue;
    Group& group = byProfile[target->label];
    group.profile = std::move(target->profile);
    group.indexes.push_back(i);
    group.sites.push_back(std::move(target->site));
  }
  const auto total = static_cast<std::int64_t>(paths.size());
  std::int64_t done = total;
  for (const auto& [label, group] : byProfile)
    done -= static_cast<std::int64_t>(group.indexes.size());
  auto tell = [&] {
    if (progress) progress(done, total);
  };
  tell();
  for (const auto& [label, group] : byProfile) {
    const auto& [profile, indexes, sites] = group;
    const std::vector<browsers::CookieDeleteResult> results = browsers::deleteCookieSites(
        profile, sites, vacuum_, progress ? std::function<void()>(tell) : nullptr);
    std::string reason;
    for (std::size_t k = 0; k < indexes.size(); ++k) {
      errors[indexes[k]] = errorOf(results[k]);
      if (results[k] == browsers::CookieDeleteResult::Deleted) ++outcome.removed;
      if (results[k] != browsers::CookieDeleteResult::InUse &&
          results[k] != browsers::CookieDeleteResult::Failed)
        continue;
      if (reason.empty()) reason = reasonFor(profile, results[k]);
      outcome.fail(label + "@" + sites[k], reason);
    }
    done += static_cast<std::int64_t>(indexes.size());
    tell();
  }
  return errors;
}

// Entries carry no attributes: resetting them succeeds while the entry's
// profile exists, and changes nothing.
int CookieFolderFileLayer::setAttributes(const std::string& path, int attributes) {
  std::optional<std::string> name = entryName(path);
  if (!name) return inner_.setAttributes(path, attributes);
  return targetOf(*name) ? 0 : kErrFileNotFound;
}

int CookieFolderFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  std::optional<std::string> name = entryName(path);
  if (!name) return inner_.fileLength(path, length);
  if (!targetOf(*name)) return kErrFileNotFound;
  length = 0;
  return 0;
}

std::string CookieFolderFileLayer::errorText(int error) {
  if (error == kErrDeviceIo) return "Device I/O error";
  return inner_.errorText(error);
}

int CookieFolderFileLayer::walkFiles(
    const std::string& folder, const std::function<void(const std::string& relative)>& onFile) {
  return inner_.walkFiles(folder, onFile);
}

std::unique_ptr<OverwriteSession> CookieFolderFileLayer::beginOverwrite(
    const OverwriteOptions& options) {
  return inner_.beginOverwrite(options);
}

ChosenFolderOpen CookieFolderFileLayer::chooseFolder(const std::string& folder) {
  return inner_.chooseFolder(folder);
}

std::string CookieFolderFileLayer::homeFolder() {
  return inner_.homeFolder();
}

}  // namespace platform::linux_os

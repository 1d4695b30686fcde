#include "platform/linux/browsers/cookie_folder_file_layer.h"

#include <optional>
#include <set>

#include "platform/linux/browsers/cookie_store.h"
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
  const std::size_t slash = clean.find_last_of('/');
  if (slash == std::string::npos || slash + 1 >= clean.size()) return std::nullopt;
  if (!isCookieFolder(clean.substr(0, slash + 1))) return std::nullopt;
  return clean.substr(slash + 1);
}

std::string labelPart(const std::string& text) {
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    out.push_back(c == '@' || c == '/' || u < 0x20 || u == 0x7f ? '_' : c);
  }
  return out;
}

struct EntryTarget {
  BrowserProfile profile;
  std::string site;
};

// The profile and site that an entry name stands for.
std::optional<EntryTarget> targetOf(const std::string& name) {
  const std::size_t at = name.find('@');
  if (at == std::string::npos) return std::nullopt;
  const std::string label = name.substr(0, at);
  for (LabelledProfile& labelled : labelledProfiles(findBrowserProfiles()))
    if (labelled.label == label)
      return EntryTarget{std::move(labelled.profile), name.substr(at + 1)};
  return std::nullopt;
}

}  // namespace

std::vector<LabelledProfile> labelledProfiles(const std::vector<BrowserProfile>& profiles) {
  std::vector<LabelledProfile> labelled;
  std::set<std::string> used;
  for (const BrowserProfile& profile : profiles) {
    const std::string base = labelPart(profile.browser) + "." + labelPart(profile.name);
    std::string label = base;
    for (int n = 2; !used.insert(label).second; ++n) label = base + " (" + std::to_string(n) + ")";
    labelled.push_back({label, profile});
  }
  return labelled;
}

std::vector<DirEntry> CookieFolderFileLayer::listFolder(const std::string& folder) {
  if (!isCookieFolder(folder)) return inner_.listFolder(folder);
  std::vector<DirEntry> entries;
  for (const LabelledProfile& labelled : labelledProfiles(findBrowserProfiles()))
    for (const std::string& site : listCookieSites(labelled.profile))
      entries.push_back({labelled.label + "@" + site, kAttrNormal});
  return entries;
}

int CookieFolderFileLayer::deleteFile(const std::string& path) {
  std::optional<std::string> name = entryName(path);
  if (!name) return inner_.deleteFile(path);
  std::optional<EntryTarget> target = targetOf(*name);
  if (!target) return kErrFileNotFound;
  switch (deleteCookieSite(target->profile, target->site, vacuum_)) {
    case CookieDeleteResult::Deleted:
      return 0;
    case CookieDeleteResult::NotFound:
      return kErrFileNotFound;
    case CookieDeleteResult::InUse:
      return kErrPathFileAccess;
    case CookieDeleteResult::Failed:
      break;
  }
  return kErrDeviceIo;
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

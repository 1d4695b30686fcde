#include "update/update_check.h"

#include "identity.h"
#include "update/download_file.h"
#include "update/version_file.h"

namespace update {

namespace {

// "upd.txt" in the folder; "" when the folder is unknown.
std::string localCopyIn(std::string folder) {
  if (folder.empty()) return "";
  if (folder.back() == '/') folder.pop_back();
  return folder + "/upd.txt";
}

std::optional<double> fetchPublishedVersion(platform::Platform& platform) {
  auto localCopy = downloadVersionFile(platform);
  if (!localCopy) return std::nullopt;
  return readPublishedVersion(*localCopy);
}

}  // namespace

std::optional<std::string> downloadVersionFile(platform::Platform& platform) {
  const std::string url = identity::versionFileUrl();
  std::string localCopy = localCopyIn(platform.process.programFolder());
  if (!localCopy.empty()) {
    int status = 0;
    if (DownloadFile(platform.downloader, url, localCopy, &status)) return localCopy;
    if (status != platform::kDownloadFolderNotWritable) return std::nullopt;
  }
  localCopy = localCopyIn(platform.process.userDataFolder());
  if (!localCopy.empty() && DownloadFile(platform.downloader, url, localCopy)) return localCopy;
  return std::nullopt;
}

void checkForUpdates(platform::Platform& platform, forms::Form& window,
                     const std::function<void(const std::string&)>& openUrl) {
  std::optional<double> published;
  {
    // The download is synchronous; the hourglass goes before any box is shown.
    forms::HourglassGuard hourglass(window);
    published = fetchPublishedVersion(platform);
  }
  // A missing or unreadable version counts as no version file at all.
  if (!published) {
    platform.msgbox.show(kUpdateFileNotFound, forms::vbOKOnly, identity::kAppTitle);
    return;
  }
  if (ownVersion() >= *published) {
    platform.msgbox.show(kUpToDate, forms::vbOKOnly | forms::vbInformation, identity::kAppTitle);
    return;
  }
  int answer = platform.msgbox.show(kNewerAvailable, forms::vbYesNo | forms::vbInformation,
                                    identity::kAppTitle);
  if (answer == forms::vbYes) openUrl(identity::downloadPageUrl());
}

}  // namespace update

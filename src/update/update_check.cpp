#include "update/update_check.h"

#include "identity.h"
#include "update/download_file.h"
#include "update/version_file.h"

namespace update {

namespace {

constexpr const char* kLocalCopyName = "/upd.txt";

std::optional<double> fetchPublishedVersion(platform::Platform& platform) {
  auto localCopy = downloadVersionFile(platform);
  if (!localCopy) return std::nullopt;
  return readPublishedVersion(*localCopy);
}

}  // namespace

std::optional<std::string> downloadVersionFile(platform::Platform& platform) {
  const std::string url = identity::versionFileUrl();
  std::string localCopy = platform.process.programFolder() + kLocalCopyName;
  int status = 0;
  if (DownloadFile(platform.downloader, url, localCopy, &status)) return localCopy;
  if (status != platform::kDownloadFolderNotWritable) return std::nullopt;
  localCopy = platform.process.userDataFolder() + kLocalCopyName;
  if (DownloadFile(platform.downloader, url, localCopy)) return localCopy;
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

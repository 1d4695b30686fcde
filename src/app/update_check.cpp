#include "app/update_check.h"

#include "identity.h"
#include "platform/paths.h"
#include "update/version_file.h"

namespace update {

std::string localCopyIn(std::string folder) {
  if (folder.empty()) return "";
  return platform::joinPath(folder, "upd.txt");
}

UpdateCheck::UpdateCheck(forms::Platform& platform, forms::Form& window, OpenUrl openUrl,
                         std::string makerUrl)
    : platform_(platform),
      window_(window),
      openUrl_(std::move(openUrl)),
      makerUrl_(std::move(makerUrl)) {}

void UpdateCheck::start() {
  if (running_) return;
  if (!identity::makerConfigured(makerUrl_)) {
    platform_.msgbox.show(kServerNotConfigured, forms::vbOKOnly | forms::vbInformation,
                          identity::kAppTitle);
    return;
  }
  running_ = true;
  window_.setMousePointer(forms::vbHourglass);
  download(localCopyIn(platform_.process.programFolder()), true);
}

void UpdateCheck::download(const std::string& localCopy, bool mayTryDataFolder) {
  if (localCopy.empty()) {
    downloaded(localCopy, mayTryDataFolder, platform::kDownloadFolderNotWritable);
    return;
  }
  std::weak_ptr<int> alive = alive_;
  forms::WindowManager& windows = platform_.windows;
  platform_.downloader.downloadInBackground(
      identity::versionFileUrl(makerUrl_), localCopy,
      [this, alive, &windows, localCopy, mayTryDataFolder](int status) {
        windows.post([this, alive, localCopy, mayTryDataFolder, status] {
          if (!alive.expired()) downloaded(localCopy, mayTryDataFolder, status);
        });
      });
}

void UpdateCheck::downloaded(const std::string& localCopy, bool mayTryDataFolder, int status) {
  if (status == 0) {
    // A missing or unreadable version counts as no version file at all.
    finish(readPublishedVersion(localCopy));
  } else if (status == platform::kDownloadFolderNotWritable && mayTryDataFolder) {
    download(localCopyIn(platform_.process.userDataFolder()), false);
  } else {
    finish(std::nullopt);
  }
}

void UpdateCheck::finish(std::optional<double> published) {
  // The hourglass goes before any box is shown.
  window_.setMousePointer(forms::vbDefault);
  if (!published) {
    platform_.msgbox.show(kUpdateFileNotFound, forms::vbOKOnly, identity::kAppTitle);
  } else if (ownVersion() >= *published) {
    platform_.msgbox.show(kUpToDate, forms::vbOKOnly | forms::vbInformation, identity::kAppTitle);
  } else if (platform_.msgbox.show(kNewerAvailable, forms::vbYesNo | forms::vbInformation,
                                   identity::kAppTitle) == forms::vbYes) {
    openUrl_(identity::downloadPageUrl(makerUrl_));
  }
  running_ = false;
}

}  // namespace update

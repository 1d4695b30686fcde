// Asks the maker's server for the published version and offers the download
// page when it is newer than ours. The download runs in the background; the
// window keeps painting and shows the hourglass until the answer is in.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "forms/form.h"
#include "forms/platform.h"

namespace update {

inline constexpr const char* kUpdateFileNotFound =
    "The update file not found.Unable to verify if new download is present";
inline constexpr const char* kUpToDate = "Your version is up to date";
inline constexpr const char* kNewerAvailable =
    "A newer version is available!. Do you wish to go to the download page?";
inline constexpr const char* kServerNotConfigured =
    "The maker's update server is not configured in this copy of Tracesweep, so it cannot "
    "check whether a newer version is published.";

// "upd.txt" in the program's folder first, then in the user's data folder
// when the program's folder cannot be written (an installed program); "" for
// an unknown folder.
std::string localCopyIn(std::string folder);

// The program's checkForUpdates, one at a time per window.
class UpdateCheck {
 public:
  using OpenUrl = std::function<void(const std::string&)>;
  // makerUrl: scheme and host of the maker's server (the build's own by default).
  UpdateCheck(forms::Platform& platform, forms::Form& window, OpenUrl openUrl,
              std::string makerUrl);
  // A check still running when the window goes is forgotten: its answer is dropped.
  ~UpdateCheck() = default;
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  // Starts a check and returns; does nothing while one runs.
  void start();
  bool running() const { return running_; }

 private:
  void download(const std::string& localCopy, bool mayTryDataFolder);
  void downloaded(const std::string& localCopy, bool mayTryDataFolder, int status);
  void finish(std::optional<double> published);

  forms::Platform& platform_;
  forms::Form& window_;
  OpenUrl openUrl_;
  std::string makerUrl_;
  bool running_ = false;
  // Answers from the background hold a weak reference: none arrives after the check is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace update

// The cookie folder as a view of the browsers' cookie databases: a file layer
// that answers paths inside cookieFolder() itself and hands every other path
// to the layer it wraps.
//
// The folder lists one entry per site per profile, "<browser>.<profile>@<site>"
// (e.g. "firefox.default-esr@example.com"), a site being what the browsers
// group cookies by (cookie_site.h). Deleting an entry deletes exactly the
// cookies it stands for from that profile's database. While the browser runs
// the deletion fails as in use (75), also after its attributes are reset, so
// the entry stays; an entry that is not there gives 53. Every deletion also
// tells the folders of profiles that may not be entered (a link owned by
// another user ...), whose cookies no listing shows.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "browsers/profiles/browser_profiles.h"
#include "platform/cookie_wipe_options.h"
#include "platform/file_layer.h"

namespace platform::linux_os {

class CookieFolderFileLayer : public FileLayer, public CookieWipeOptions {
 public:
  explicit CookieFolderFileLayer(FileLayer& inner) : inner_(inner) {}

  std::vector<DirEntry> listFolder(const std::string& folder) override;
  int deleteFile(const std::string& path) override;
  int setAttributes(const std::string& path, int attributes) override;
  int fileLength(const std::string& path, std::int64_t& length) override;
  std::string errorText(int error) override;
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string& relative)>& onFile) override;
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;
  ChosenFolderOpen chooseFolder(const std::string& folder) override;
  std::string homeFolder() override;

  void setVacuumAfterDelete(bool on) override { vacuum_ = on; }
  std::string entryLocation(const std::string& path) override;
  std::vector<int> deleteEntries(const std::vector<std::string>& paths, const Progress& progress,
                                 ClearOutcome& outcome) override;
  std::vector<ClearFailure> unreachedStores() override;

 private:
  struct Target;
  // The profile and site an entry name stands for; the profiles of the last
  // listing serve while they name it, else the profiles are found anew.
  std::optional<Target> targetOf(const std::string& name);
  // Finds the profiles anew; returns the folders of profiles that may not
  // be entered.
  std::vector<ClearFailure> refreshProfiles();

  FileLayer& inner_;
  bool vacuum_ = false;
  std::map<std::string, browsers::BrowserProfile> listed_;  // label -> profile, of the last listing
  std::vector<ClearFailure> unread_;  // cookie databases the last listing could not read
};

// A profile with the unique "<browser>.<profile>" label that its entries
// begin with (no "@" or "/" in it).
struct LabelledProfile {
  std::string label;
  browsers::BrowserProfile profile;
};
std::vector<LabelledProfile> labelledProfiles(
    const std::vector<browsers::BrowserProfile>& profiles);

}  // namespace platform::linux_os

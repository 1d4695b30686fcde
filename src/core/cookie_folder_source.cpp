#include "core/cookie_folder_source.h"

#include "platform/paths.h"

namespace core {

// As the system writes paths: "C:\...\Cookies\name" on Windows.
std::string cookieFilePath(const std::string& folder, const std::string& name) {
  return platform::joinPath(folder, name);
}

void CookieFolderSource::list(CookiePlan& plan, std::size_t self,
                              const std::function<bool()>& keepListing) {
  const std::string folder = folder_();
  if (plan.folder.empty()) plan.folder = folder;
  if (folder.empty()) return;
  for (const platform::DirEntry& entry : files_.listFolder(cookieFilePath(folder, ""))) {
    if (!keepListing()) return;
    if (entry.attributes & platform::kAttrDirectory) continue;
    const std::string path = cookieFilePath(folder, entry.name);
    plan.entries.push_back({entry.name, path, path, self, true});
  }
}

void CookieFolderSource::remove(const std::vector<const CookieEntry*>& entries,
                                const CookieOptions& /*options*/, const Progress& progress,
                                platform::ClearOutcome& outcome, std::vector<bool>& gone) {
  const auto total = static_cast<std::int64_t>(entries.size());
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::string& path = entries[k]->key;
    int error = files_.deleteFile(path);
    if (error == platform::kErrPathFileAccess) {
      files_.setAttributes(path, platform::kAttrNormal);
      error = files_.deleteFile(path);
    }
    if (error == 0)
      gone[k] = true;
    else if (error != platform::kErrFileNotFound)
      outcome.fail(path, files_.errorText(error));
    if (progress) progress(static_cast<std::int64_t>(k) + 1, total);
  }
}

}  // namespace core

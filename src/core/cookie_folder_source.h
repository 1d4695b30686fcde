// The shell's cookie folder of the system's own browser as a source of the
// cookie area: one entry per file of the folder (sub-folders never), each
// deleted by deleting its file. A read-only file is made normal and deleted
// once more.
#pragma once

#include <functional>
#include <string>

#include "core/cookie_area.h"
#include "platform/file_layer.h"

namespace core {

class CookieFolderSource : public CookieSource {
 public:
  // folder reads where the cookie folder is, anew for every plan ("" for
  // none); the caller decides how a value that cannot be read is told.
  CookieFolderSource(platform::FileLayer& files, std::function<std::string()> folder)
      : files_(files), folder_(std::move(folder)) {}

  void list(CookiePlan& plan, std::size_t self, const std::function<bool()>& keepListing) override;
  void remove(const std::vector<const CookieEntry*>& entries, const CookieOptions& options,
              const Progress& progress, platform::ClearOutcome& outcome,
              std::vector<bool>& gone) override;

 private:
  platform::FileLayer& files_;
  std::function<std::string()> folder_;
};

// The key under which a file of folder is listed and deleted: the folder,
// the system's separator when it does not end in one, and the name.
std::string cookieFilePath(const std::string& folder, const std::string& name);

}  // namespace core

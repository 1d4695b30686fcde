// The shell's open operation and the temporary folder.
#pragma once

#include <string>

namespace platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a URL or document with the default handler; reports nothing.
  virtual void openUrl(const std::string& url) = 0;
  // The temporary folder, ending in the separator; "" when it cannot be had.
  virtual std::string tempPath() = 0;
  // True when the files under folder may be cleared: it resolves neither to
  // the root folder, nor to the home folder or a folder above it. A shell
  // that cannot judge refuses.
  virtual bool mayClearFolder(const std::string& /*folder*/) { return false; }
};

}  // namespace platform

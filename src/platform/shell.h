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
};

}  // namespace platform

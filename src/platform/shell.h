// The shell's open operation and the temporary folder.
#pragma once

#include <functional>
#include <string>

namespace platform {

// For a file below the temporary folder, given relative to it: the entry
// (relative to the folder) that the system keeps there for itself and that
// holds the file, or "" when the system keeps no such thing.
using SystemKeeps = std::function<std::string(const std::string& relative)>;

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
  // What the system keeps for itself in folder (the temporary folder as
  // tempPath gives it) and clearing must leave: display sockets and locks,
  // services' private folders ... An empty function when it keeps nothing.
  virtual SystemKeeps systemKeepsIn(const std::string& /*folder*/) { return {}; }
};

}  // namespace platform

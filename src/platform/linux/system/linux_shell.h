// The shell on Linux: documents and URLs open through xdg-open, started
// without a shell and not waited for; the temporary folder from $TMPDIR.
#pragma once

#include <string>

#include "platform/shell.h"

namespace platform::linux_os {

class LinuxShell : public Shell {
 public:
  // Starts `xdg-open <url>` (found on PATH) and returns at once. The child is
  // reaped by a detached thread, so no zombie stays; failures are not reported.
  void openUrl(const std::string& url) override;
  // $TMPDIR when it is an absolute path to an existing directory, else /tmp;
  // always ending in "/".
  std::string tempPath() override;
  // Refuses "/", the home folder, the folders above it and the system's own.
  bool mayClearFolder(const std::string& folder) override;
  // In /tmp and /var/tmp: what systemd-tmpfiles never cleans there.
  SystemKeeps systemKeepsIn(const std::string& folder) override;
};

}  // namespace platform::linux_os

// What systemd-tmpfiles itself never cleans in the shared temporary folders
// (/tmp, /var/tmp): the X server's locks and sockets, the ICE, XIM and font
// sockets, services' private folders. A desktop session or a service breaks
// when they go, so the temporary folder's clearing leaves them too, whoever
// runs it.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform::linux_os {

// One x or X line of the tmpfiles.d configuration.
struct KeptPattern {
  std::string glob;           // an absolute path, shell-style wildcards allowed
  bool withContents = false;  // x: the path and everything below it; X: only itself
};

// The x and X lines of every tmpfiles.d file under configRoot ("" for the
// system's own): /etc, /run, /usr/local/lib and /usr/lib tmpfiles.d, read in
// the order of the file names, a file in an earlier folder hiding those of
// its name in later ones (an empty one, or a link to /dev/null, hides them
// and says nothing). Specifiers are replaced by wildcards (%T and %V by the
// folders they name), so a line keeps at least what the system keeps.
std::vector<KeptPattern> ReadTmpfilesExclusions(const std::string& configRoot);

// What is kept below sharedFolder whatever the configuration says, so that a
// system without it, or with an older one, keeps them too.
std::vector<KeptPattern> BuiltInExclusions(const std::string& sharedFolder);

// For a file below sharedFolder, given relative to it: the relative path of
// the entry that the patterns keep and that holds it (its topmost kept
// folder, or the file itself); "" when none keeps it.
std::string KeptBy(const std::vector<KeptPattern>& patterns, const std::string& sharedFolder,
                   const std::string& relative);

// The rule for a folder known to the system as sharedFolder ("/tmp"): the
// built-in floor and the configuration under configRoot.
SystemKeeps SystemKeepsAs(const std::string& sharedFolder, const std::string& configRoot = "");

// The rule for folder: when it is, links resolved, /tmp or /var/tmp, what
// the system keeps there; otherwise nothing (an empty function).
SystemKeeps SystemKeepsIn(const std::string& folder);

}  // namespace platform::linux_os

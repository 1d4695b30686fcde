// The per-user folders of the XDG base directory rules, read from the live
// environment on each call.
#pragma once

#include <string>

namespace platform::linux_os {

std::string homeFolder();
std::string xdgConfigHome();  // $XDG_CONFIG_HOME when absolute, else ~/.config
std::string xdgDataHome();    // $XDG_DATA_HOME when absolute, else ~/.local/share
std::string xdgCacheHome();   // $XDG_CACHE_HOME when absolute, else ~/.cache
std::string xdgStateHome();   // $XDG_STATE_HOME when absolute, else ~/.local/state
std::string xdgRuntimeDir();  // $XDG_RUNTIME_DIR when absolute, else ""

// Creates the folder and its missing parents (new ones with `mode`); true when
// the folder exists afterwards, else errno says why (ENOTDIR for a name that
// is there but is no folder).
bool ensureFolder(const std::string& path, unsigned mode = 0700);

}  // namespace platform::linux_os

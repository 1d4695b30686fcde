// Folders whose files are too many and too important to destroy on one
// click: the root, the system's own folders and the user's home.
#pragma once

#include <string>

namespace erasure {

// True for "/", a top-level system folder (/usr, /etc, /var, /home ...), a
// folder directly inside /usr or /var, any home folder (/home/<name>,
// /root), and home or any folder that holds it. The path is taken as
// written, with "." and ".." and repeated "/" resolved.
bool IsWholeSystemFolder(const std::string& folder, const std::string& home);

}  // namespace erasure

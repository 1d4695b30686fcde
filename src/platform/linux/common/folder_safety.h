// Whether the files under a folder may be cleared wholesale. The temporary
// folder is whatever $TMPDIR says and /tmp is shared by every user and
// program, so the folder is judged before anything under it is touched.
#pragma once

#include <string>

namespace platform::linux_os {

// True when the files under folder may be cleared: it exists and resolves
// (links and ".." undone) neither to "/", nor to the home folder or a folder
// above it, nor to a folder of the system itself (/usr, /etc, /var ...).
bool MayClearFolder(const std::string& folder);

}  // namespace platform::linux_os

// Kernel interfaces that look like files (/proc, /sys and their kin): writing
// to them is giving the kernel orders, not overwriting data, so the wipe
// never enters or writes them.
#pragma once

namespace platform::linux_os {

// True when the descriptor (O_PATH will do) is on such a file system.
bool onPseudoFileSystem(int fd);

}  // namespace platform::linux_os

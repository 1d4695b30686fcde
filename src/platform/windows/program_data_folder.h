// The folder of the program's own files that stay on this computer: the log
// of its runs, the lock of the settings.
#pragma once

#include <string>

namespace platform::windows_os {

// "%LOCALAPPDATA%\Tracesweep" (the known folder, not the variable); "" when
// the system cannot say where the local application data is.
std::string programDataFolder();

}  // namespace platform::windows_os

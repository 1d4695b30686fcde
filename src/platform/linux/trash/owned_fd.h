// The trash code's name for the one descriptor owner.
#pragma once

#include "platform/linux/common/posix_fd.h"

namespace platform::linux_os {

using OwnedFd = UniqueFd;

}  // namespace platform::linux_os

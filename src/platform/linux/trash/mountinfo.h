// The trash's scan of the drives reads the mount table that the file layer
// shares (platform/linux/common).
#pragma once

#include "platform/linux/common/mountinfo.h"

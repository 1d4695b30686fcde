// The program's file error numbers for the system's errno values, and their
// texts.
#pragma once

#include <string>

namespace platform::linux_os {

// Numbers above this carry an errno: kErrnoBase + errno.
inline constexpr int kErrnoBase = 1000;

// ENOENT gives 53, access refusals 70, a missing folder in the path 76;
// anything else kErrnoBase + errno.
int errorFromErrno(int err);
// For deletion, a refusal is the path/file access error 75.
int deleteErrorFromErrno(int err);
std::string fileErrorText(int error);

}  // namespace platform::linux_os

// The program's file error numbers for the system's error codes, and their
// texts.
#pragma once

#include <cstdint>
#include <string>

namespace platform::windows_os {

// Numbers above this carry a system error code: kSystemErrorBase + code.
inline constexpr int kSystemErrorBase = 100000;

// Not found gives 53, a missing folder on the way 76, a refusal 70; anything
// else kSystemErrorBase + code.
int errorFromSystem(std::uint32_t code);
// For deletion a refusal (a read-only file, a folder, a file in use) is the
// path/file access error 75.
int deleteErrorFromSystem(std::uint32_t code);
std::string fileErrorText(int error);

}  // namespace platform::windows_os

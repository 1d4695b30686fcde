// Lists every file under a folder, at any depth, into the shared FileList,
// depth-first in the order the system lists each folder. Links are never
// followed; folders are never listed.
#pragma once

#include <stdexcept>
#include <string>

#include "erase/file_list.h"
#include "platform/system.h"

namespace erasure {

class EnumError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends to fileList (the caller resets it first). folder may end in "/" or
// not. A folder that cannot be read contributes nothing. Throws EnumError
// only when the list cannot be completed (out of memory).
void EnumFiles(platform::System& platform, FileList& fileList, const std::string& folder);

// The text up to its first NUL.
std::string TrimNull(const std::string& text);

}  // namespace erasure

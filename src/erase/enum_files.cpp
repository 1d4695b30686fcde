#include "erase/enum_files.h"

#include <new>

#include "platform/paths.h"

namespace erasure {

void EnumFiles(platform::System& platform, FileList& fileList, const std::string& folder) {
  // An empty name is no folder (it must not become the root of everything).
  if (folder.empty()) return;
  const std::string root = platform::joinPath(folder, "");
  int error = 0;
  try {
    error = platform.files.walkFiles(root, [&](const std::string& relative) {
      fileList.entries.push_back(platform::pathBelow(root, relative));
    });
  } catch (const std::bad_alloc&) {
    throw EnumError("There is not enough memory to list every file under " + root);
  }
  if (error != 0)
    throw EnumError("The files under " + root +
                    " could not all be listed: " + platform.files.errorText(error));
}

std::string TrimNull(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace erasure

#include "platform/linux/files/pseudo_file_systems.h"

#include <sys/vfs.h>

#include "platform/linux/common/file_system_kinds.h"

namespace platform::linux_os {

bool onPseudoFileSystem(int fd) {
  struct statfs fs {};
  return fstatfs(fd, &fs) == 0 && fileSystemOfMagic(static_cast<unsigned long>(fs.f_type)).kind ==
                                      FileSystemKind::HoldsNoFiles;
}

}  // namespace platform::linux_os

#include "platform/linux/files/pseudo_file_systems.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <array>

namespace platform::linux_os {

bool onPseudoFileSystem(int fd) {
  struct statfs fs {};
  if (fstatfs(fd, &fs) != 0) return false;
  static constexpr std::array<unsigned long, 14> kPseudo = {
      PROC_SUPER_MAGIC,    SYSFS_MAGIC,   DEBUGFS_MAGIC, SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC,
      CGROUP2_SUPER_MAGIC, TRACEFS_MAGIC, BPF_FS_MAGIC,  EFIVARFS_MAGIC,   PSTOREFS_MAGIC,
      DEVPTS_SUPER_MAGIC,  SELINUX_MAGIC, SMACK_MAGIC,   0x62656570 /* configfs */};
  for (unsigned long magic : kPseudo)
    if (static_cast<unsigned long>(fs.f_type) == magic) return true;
  return false;
}

}  // namespace platform::linux_os

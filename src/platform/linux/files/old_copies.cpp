#include "platform/linux/files/old_copies.h"

#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform::linux_os {

namespace {

struct Kind {
  unsigned long magic;
  const char* name;
};

constexpr std::array<Kind, 9> kKeepsOldCopies = {{
    {BTRFS_SUPER_MAGIC, "btrfs"},
    {0x2fc12fc1, "ZFS"},
    {0xca451a4e, "bcachefs"},
    {TMPFS_MAGIC, "tmpfs"},
    {RAMFS_MAGIC, "ramfs"},
    {F2FS_SUPER_MAGIC, "F2FS"},
    {NILFS_SUPER_MAGIC, "NILFS"},
    {0x24051905, "UBIFS"},
    {JFFS2_SUPER_MAGIC, "JFFS2"},
}};

}  // namespace

OldCopies oldCopiesOfFileSystem(long fileSystemType) {
  const auto magic = static_cast<unsigned long>(fileSystemType) & 0xffffffffUL;
  for (const Kind& kind : kKeepsOldCopies)
    if (kind.magic == magic) return {true, kind.name, false};
  return {};
}

bool mayShareBlocks(long fileSystemType) {
  const auto magic = static_cast<unsigned long>(fileSystemType) & 0xffffffffUL;
  // ext2/3/4 never share a block between files.
  return magic != EXT4_SUPER_MAGIC;
}

bool hasSharedBlocks(int fd) {
  constexpr std::uint32_t kExtents = 64;
  std::vector<unsigned char> buffer(sizeof(fiemap) + kExtents * sizeof(fiemap_extent));
  std::uint64_t start = 0;
  // A file of a few million extents at most is looked at; enough for any real one.
  for (int round = 0; round < 100000; ++round) {
    std::memset(buffer.data(), 0, buffer.size());
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    map->fm_start = start;
    map->fm_length = FIEMAP_MAX_OFFSET - start;
    map->fm_extent_count = kExtents;
    if (ioctl(fd, FS_IOC_FIEMAP, map) != 0 || map->fm_mapped_extents == 0) return false;
    for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& extent = map->fm_extents[i];
      if (extent.fe_flags & FIEMAP_EXTENT_SHARED) return true;
      if (extent.fe_flags & FIEMAP_EXTENT_LAST) return false;
    }
    const fiemap_extent& last = map->fm_extents[map->fm_mapped_extents - 1];
    start = last.fe_logical + last.fe_length;
  }
  return false;
}

}  // namespace platform::linux_os

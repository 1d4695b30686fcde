#include "platform/linux/files/old_copies.h"

#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::linux_os {

const FileSystemType& FileSystemsMet::of(dev_t dev, int fd) {
  if (auto found = known_.find(dev); found != known_.end()) return found->second;
  struct statfs fs {};
  FileSystemType type;
  if (fstatfs(fd, &fs) == 0) type = fileSystemOfMagic(static_cast<unsigned long>(fs.f_type));
  if (!type.known || type.mayJournalData) {
    if (const MountEntry* mount = mountOf(dev)) {
      // Named by the mount table where the magic is not in the table.
      if (!type.known) type = fileSystemNamed(mount->fsType);
      if (type.mayJournalData && mount->hasSuperOption("data=journal")) {
        type.kind = FileSystemKind::KeepsOldCopies;
        type.name += " with data=journal";
      }
    }
    if (type.name.empty()) {
      char magic[32];
      std::snprintf(magic, sizeof magic, "unknown kind %#lx",
                    static_cast<unsigned long>(fs.f_type) & 0xffffffffUL);
      type.name = magic;
    }
  }
  return known_.emplace(dev, std::move(type)).first->second;
}

WhereDataLives FileSystemsMet::forFile(dev_t dev, int fd) {
  const FileSystemType& type = of(dev, fd);
  WhereDataLives where{type.kind, type.name, false};
  if (type.kind != FileSystemKind::OverwriteReaches) return where;
  if (type.mayJournalData && journalsFileData(fd)) {
    where.kind = FileSystemKind::KeepsOldCopies;
    where.fileSystem += ", data journaled for this file";
  } else if (type.mayShareBlocks && hasSharedBlocks(fd)) {
    where.kind = FileSystemKind::KeepsOldCopies;
    where.fileSystem.clear();
    where.sharedBlocks = true;
  }
  return where;
}

const MountEntry* FileSystemsMet::mountOf(dev_t dev) {
  if (!mounts_) mounts_ = ReadMountInfo(mountTable_);
  for (const MountEntry& mount : *mounts_)
    if (mount.deviceMajor == major(dev) && mount.deviceMinor == minor(dev)) return &mount;
  return nullptr;
}

bool journalsFileData(int fd) {
  int flags = 0;
  return ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_JOURNAL_DATA_FL);
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

#include "platform/linux/common/file_system_kinds.h"

#include <array>
#include <string>

namespace platform::linux_os {

namespace {

using enum FileSystemKind;

struct Row {
  std::string_view type;  // the mount table's name
  unsigned long magic;    // statfs f_type; 0 where only the name tells it
  std::string_view name;  // what the user reads
  FileSystemKind kind;
  bool mayShareBlocks = false;
  bool mayJournalData = false;
  bool byProgram = false;  // FUSE: a program, not the kernel, keeps the data
};

// The first row of a magic names it (ext2, ext3 and ext4 share one).
constexpr std::array kTable = std::to_array<Row>({
    // Overwritten in place.
    {"ext4", 0xef53, "ext4", OverwriteReaches, false, true},
    {"ext3", 0xef53, "ext3", OverwriteReaches, false, true},
    {"ext2", 0xef53, "ext2", OverwriteReaches, false, true},
    {"xfs", 0x58465342, "XFS", OverwriteReaches, true},
    {"vfat", 0x4d44, "FAT", OverwriteReaches},
    {"msdos", 0x4d44, "FAT", OverwriteReaches},
    {"exfat", 0x2011bab0, "exFAT", OverwriteReaches},
    {"ntfs3", 0x7366746e, "NTFS", OverwriteReaches},
    {"ntfs", 0x5346544e, "NTFS", OverwriteReaches},
    {"hfsplus", 0x482b, "HFS+", OverwriteReaches},
    {"hfs", 0x4244, "HFS", OverwriteReaches},
    {"jfs", 0x3153464a, "JFS", OverwriteReaches},
    {"reiserfs", 0x52654973, "ReiserFS", OverwriteReaches},
    {"minix", 0x137f, "minix", OverwriteReaches},
    {"minix", 0x138f, "minix", OverwriteReaches},
    {"minix", 0x2468, "minix", OverwriteReaches},
    {"minix", 0x2478, "minix", OverwriteReaches},
    {"minix", 0x4d5a, "minix", OverwriteReaches},
    {"ufs", 0x00011954, "UFS", OverwriteReaches},
    // Written elsewhere, or by someone else.
    {"btrfs", 0x9123683e, "btrfs", KeepsOldCopies},
    {"zfs", 0x2fc12fc1, "ZFS", KeepsOldCopies},
    {"bcachefs", 0xca451a4e, "bcachefs", KeepsOldCopies},
    {"f2fs", 0xf2f52010, "F2FS", KeepsOldCopies},
    {"nilfs2", 0x3434, "NILFS", KeepsOldCopies},
    {"ubifs", 0x24051905, "UBIFS", KeepsOldCopies},
    {"jffs2", 0x72b6, "JFFS2", KeepsOldCopies},
    {"overlay", 0x794c7630, "overlayfs", KeepsOldCopies},
    {"ecryptfs", 0xf15f, "eCryptfs", KeepsOldCopies},
    {"nfs", 0x6969, "NFS", KeepsOldCopies},
    {"nfs4", 0x6969, "NFS", KeepsOldCopies},
    {"cifs", 0xff534d42, "CIFS", KeepsOldCopies},
    {"smb3", 0xfe534d42, "SMB", KeepsOldCopies},
    {"smbfs", 0x517b, "SMB", KeepsOldCopies},
    {"9p", 0x01021997, "9p", KeepsOldCopies},
    {"ceph", 0x00c36400, "Ceph", KeepsOldCopies},
    {"afs", 0x5346414f, "AFS", KeepsOldCopies},
    {"afs", 0x6b414653, "AFS", KeepsOldCopies},
    {"coda", 0x73757245, "Coda", KeepsOldCopies},
    {"fuse", 0x65735546, "FUSE", KeepsOldCopies, false, false, true},
    {"fuseblk", 0x65735546, "FUSE", KeepsOldCopies, false, false, true},
    // Memory and swap.
    {"tmpfs", 0x01021994, "tmpfs", InMemory},
    {"ramfs", 0x858458f6, "ramfs", InMemory},
    // Kernel interfaces, and what mounts on access.
    {"proc", 0x9fa0, "proc", HoldsNoFiles},
    {"sysfs", 0x62656572, "sysfs", HoldsNoFiles},
    {"binfmt_misc", 0x42494e4d, "binfmt_misc", HoldsNoFiles},
    {"efivarfs", 0xde5e81e4, "efivarfs", HoldsNoFiles},
    {"configfs", 0x62656570, "configfs", HoldsNoFiles},
    {"hugetlbfs", 0x958458f6, "hugetlbfs", HoldsNoFiles},
    {"mqueue", 0x19800202, "mqueue", HoldsNoFiles},
    {"fusectl", 0x65735543, "fusectl", HoldsNoFiles},
    {"debugfs", 0x64626720, "debugfs", HoldsNoFiles},
    {"tracefs", 0x74726163, "tracefs", HoldsNoFiles},
    {"bpf", 0xcafe4a11, "bpf", HoldsNoFiles},
    {"securityfs", 0x73636673, "securityfs", HoldsNoFiles},
    {"cgroup", 0x0027e0eb, "cgroup", HoldsNoFiles},
    {"cgroup2", 0x63677270, "cgroup2", HoldsNoFiles},
    {"pstore", 0x6165676c, "pstore", HoldsNoFiles},
    {"devpts", 0x1cd1, "devpts", HoldsNoFiles},
    {"selinuxfs", 0xf97cff8c, "selinuxfs", HoldsNoFiles},
    {"smackfs", 0x43415d53, "smackfs", HoldsNoFiles},
    {"autofs", 0x0187, "autofs", HoldsNoFiles},
    {"rpc_pipefs", 0x67596969, "rpc_pipefs", HoldsNoFiles},
    {"nsfs", 0x6e736673, "nsfs", HoldsNoFiles},
    {"nfsd", 0x6e667364, "nfsd", HoldsNoFiles},
    // Known by name only: devtmpfs has tmpfs's magic, these FUSE programs
    // show kernel data or mount remote places on access.
    {"devtmpfs", 0, "devtmpfs", HoldsNoFiles},
    {"fuse.gvfsd-fuse", 0, "gvfsd-fuse", HoldsNoFiles},
    {"fuse.portal", 0, "portal", HoldsNoFiles},
    {"fuse.lxcfs", 0, "lxcfs", HoldsNoFiles},
    // Programs known to write a disk's own format in place: ntfs-3g keeps
    // each cluster where NTFS puts it, as the kernel's ntfs3 does.
    {"fuseblk.ntfs-3g", 0, "NTFS", OverwriteReaches, false, false, true},
    {"fuseblk.lowntfs-3g", 0, "NTFS", OverwriteReaches, false, false, true},
    {"fuseblk.ntfs", 0, "NTFS", OverwriteReaches, false, false, true},
});

FileSystemType typeOf(const Row& row) {
  return {std::string(row.name), row.kind,           true,
          row.mayShareBlocks,    row.mayJournalData, row.byProgram};
}

std::string_view lastPart(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileSystemType fileSystemOfMagic(unsigned long magic) {
  magic &= 0xffffffffUL;  // f_type is sign-extended on some architectures
  if (magic != 0)
    for (const Row& row : kTable)
      if (row.magic == magic) return typeOf(row);
  return {};
}

FileSystemType fileSystemNamed(std::string_view type) {
  for (const Row& row : kTable)
    if (row.type == type) return typeOf(row);
  // Not in the table: taken to keep old copies, under its own name.
  FileSystemType unknown;
  unknown.name = std::string(type);
  unknown.byProgram = type.starts_with("fuse.") || type.starts_with("fuseblk.");
  return unknown;
}

FileSystemType fileSystemRunByProgram(std::string_view mountType, std::string_view source,
                                      std::string_view deviceFormat) {
  // ntfs-3g mounts as plain "fuseblk" on most systems: the device, or the
  // program's name given as the source, tells what it runs.
  if (mountType == "fuseblk") {
    const std::string_view program = lastPart(source);
    if (deviceFormat == "ntfs" || program == "ntfs-3g" || program == "lowntfs-3g" ||
        program == "ntfs")
      return fileSystemNamed("fuseblk.ntfs-3g");
  }
  FileSystemType type = fileSystemNamed(mountType.empty() ? "fuse" : mountType);
  type.byProgram = true;
  return type;
}

}  // namespace platform::linux_os

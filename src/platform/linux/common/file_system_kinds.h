// What overwriting a file in place does on each kind of file system, in one
// table: the wipe asks it before writing, the trash's mount scan before
// walking. A kind that is not in the table is taken to keep old copies: an
// overwrite there is never called a wipe.
#pragma once

#include <string>
#include <string_view>

namespace platform::linux_os {

enum class FileSystemKind {
  // In-place writes land on the blocks that held the data (unless blocks are
  // shared with another file, or the data is journaled: asked per file).
  OverwriteReaches,
  // New data goes elsewhere and the old stays: copy-on-write, log-structured,
  // overlay (the lower layer keeps its copy), network (the server may keep
  // copies), FUSE (whatever the program behind it does), and any unknown kind.
  KeepsOldCopies,
  // Memory and swap (tmpfs, ramfs): removed, never called overwritten.
  InMemory,
  // Kernel interfaces that look like files (proc, sysfs ...): writing there
  // gives the kernel orders. Never written, never walked.
  HoldsNoFiles,
};

struct FileSystemType {
  std::string name;  // as the user reads it: "btrfs", "tmpfs", "ext4"
  FileSystemKind kind = FileSystemKind::KeepsOldCopies;
  bool known = false;           // found in the table
  bool mayShareBlocks = false;  // reflinks possible: a file's blocks are asked (FIEMAP)
  bool mayJournalData = false;  // ext3/4: data=journal and the per-file attribute are asked
  // Run by a program through FUSE (sshfs, a cloud drive, ntfs-3g): statfs
  // says only "FUSE"; the mount table and the device say which program.
  bool byProgram = false;
};

// By statfs's f_type; the name is empty for an unknown magic.
FileSystemType fileSystemOfMagic(unsigned long magic);

// By the type of a mount table line ("ext4", "fuse.sshfs"); the name is the
// type itself when it is not in the table.
FileSystemType fileSystemNamed(std::string_view type);

// A FUSE mount, by its mount table line ("fuseblk", "fuse.sshfs") and source,
// and by the format its block device holds ("ntfs", read from the device;
// empty when unknown). Only programs the table knows to write in place are
// taken to reach the data.
FileSystemType fileSystemRunByProgram(std::string_view mountType, std::string_view source,
                                      std::string_view deviceFormat);

}  // namespace platform::linux_os

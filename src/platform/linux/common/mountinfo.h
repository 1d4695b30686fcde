// The mount table of /proc/<pid>/mountinfo, parsed field by field. The text
// comes from the kernel but is treated as untrusted: every field is
// bounds-checked and a malformed line is dropped, never guessed at.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_os {

struct MountEntry {
  std::string mountPoint;    // unescaped (\040 is a blank, \134 a backslash ...)
  std::string fsType;        // e.g. "ext4", "tmpfs", "fuse.sshfs"
  std::string source;        // e.g. "/dev/sda1"
  std::string mountOptions;  // per-mount options, e.g. "rw,relatime"
  std::string superOptions;  // file-system options, e.g. "rw,errors=remount-ro"
  unsigned deviceMajor = 0;  // the device of the file system, as stat tells it
  unsigned deviceMinor = 0;
  bool readOnly() const;  // "ro" among either set of options
  // One of the file system's own options ("data=journal").
  bool hasSuperOption(std::string_view option) const;
};

// Undoes the kernel's octal escapes ("\040" -> ' '); any other backslash is
// kept as it stands.
std::string UnescapeMountField(std::string_view field);

// One entry per well-formed line of text.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Reads and parses a mountinfo file; empty when it cannot be read.
std::vector<MountEntry> ReadMountInfo(const std::string& path);

// Pseudo and automount file systems that can never hold a user's trash and
// must not be walked (autofs would mount on access): the kinds that hold no
// files in the table of file-system kinds.
bool IsPseudoFileSystem(const std::string& fsType);

}  // namespace platform::linux_os

// The one folder-safety rule: which folders must not be destroyed wholesale
// (the wipe page asks again for them; the temporary folder's clearing
// refuses them). A folder is judged by what it is (its device and inode, and
// those of the folders above it), never by how its name is written, so ".",
// "..", "Documents/.." or a path through a link all meet the same verdict.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/file_layer.h"

namespace platform::linux_os {

struct FolderKey {
  dev_t dev = 0;
  ino_t ino = 0;
  uid_t owner = 0;  // not part of its identity
  bool operator==(const FolderKey& other) const { return dev == other.dev && ino == other.ino; }
};

// The folders from "/" down to the folder at realPath (absolute, without
// links), each opened below the one before without following a link. Empty
// when one cannot be opened or is a link.
std::vector<FolderKey> FolderChain(const std::string& realPath);

// The rule. chain is FolderChain of the folder; mountRoot says whether the
// folder is the root of a mount (a bind mount keeps its device).
//   Root: "/".  Home: $HOME or the home of the user database.  HoldsHome: a
//   folder above either.  System: /usr, /etc, /boot, /bin, /sbin, /lib*,
//   /proc, /sys, /dev, /snap, /efi and everything in them; /var, /run, /home,
//   /opt, /srv, /root, /mnt, /media themselves and the folders directly in
//   /var (but /var/tmp).  OtherUsersHome: the home of the account that owns
//   the folder, when that is another account.
//   MountRoot: the root of any other mounted file system.
// The temporary folders /tmp and /var/tmp are never another user's home nor
// a mount root to the rule: they are cleared wherever they live.
FolderProtection JudgeFolder(const std::vector<FolderKey>& chain, bool mountRoot);

// The rule for a folder already open as fd (a descriptor of the folder, not
// its path): its real path, which the kernel knows it by, must lead to that
// same folder again. realPath receives it ("" when it cannot be told, and
// the folder is then System).
FolderProtection JudgeOpenedFolder(int fd, std::string& realPath);

// The rule for a folder named by path (links followed): true only when it
// exists and the rule protects it not at all.
bool MayClearFolder(const std::string& folder);

}  // namespace platform::linux_os

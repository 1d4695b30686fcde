// The items of a trash's files/ folder: one listing that both a preview and
// the emptying go through, so that what a preview names is what is removed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform::linux_os {

struct TrashItem {
  std::string name;        // its name in files/
  std::int64_t bytes = 0;  // the sizes of everything it holds, links not followed
  bool folder = false;
  dev_t device = 0;
  ino_t inode = 0;
};

// Lists the entries of the open files/ folder filesFd with their sizes.
std::vector<TrashItem> ListTrashItems(int filesFd);

// Removes one listed item, at any depth, without following a link or
// entering another file system. "" when it is gone, else why it stays.
std::string RemoveTrashItem(int filesFd, const TrashItem& item);

}  // namespace platform::linux_os

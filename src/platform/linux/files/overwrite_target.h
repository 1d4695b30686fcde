// One file held for a secure overwrite: its folder, its name, the identity
// (device, inode, birth time) it had when it was checked, and, unless only
// the name is to be removed, a read/write descriptor.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/file_layer.h"
#include "platform/linux/common/posix_fd.h"
#include "platform/linux/files/folder_resolver.h"

namespace platform::linux_os {

class LinuxOverwriteTarget : public OverwriteTarget {
 public:
  LinuxOverwriteTarget(UniqueFd folder, std::shared_ptr<const FolderResolver> folders,
                       std::string folderPath, std::string name, const struct stat& identity);
  ~LinuxOverwriteTarget() override;

  // Closing gives up the descriptors; removal finds the folder again the way
  // the session first found it (never through a link below the session's root)
  // and goes on only if it is still the same folder holding the same file.
  // Adopts the descriptor to write through.
  void adopt(UniqueFd file) { file_ = std::move(file); }
  // Puts back the permission bits that were changed to open the file.
  void restoreModeOnClose(mode_t original) { restoreMode_ = true, originalMode_ = original; }
  int fileDescriptor() const { return file_.get(); }
  int folderDescriptor() const { return folder_.get(); }

  int length(std::int64_t& bytes) override;
  int writeAt(std::int64_t offset, const unsigned char* data, std::size_t size) override;
  int syncData() override;
  void close() override;
  int remove() override;

 private:
  int openFolder();

  UniqueFd folder_;  // given up on close, so that a batch holds few descriptors
  std::shared_ptr<const FolderResolver> folders_;
  std::string folderPath_;
  dev_t folderDev_ = 0;
  ino_t folderIno_ = 0;
  std::string name_;
  dev_t dev_;
  ino_t ino_;
  // Birth time: an inode number freed and given to a new file meanwhile
  // does not pass for the file that was opened.
  struct BirthTime {
    long long sec = 0;
    unsigned nsec = 0;
    bool known = false;
  } birth_;
  UniqueFd file_;
  bool restoreMode_ = false;
  mode_t originalMode_ = 0;
};

// The birth time of the entry name in folder (a link is not followed).
bool birthTimeOf(int folder, const char* name, long long& sec, unsigned& nsec);

// Makes sure a lease's break signal cannot end the process (its default
// action would).
void ensureLeaseSignalHandled();

}  // namespace platform::linux_os

// The small POSIX file helpers every Linux service shares: path text, whole
// writes, and crash-safe replacement of a file (write a temporary file beside
// it, flush it, rename it over, flush the folder).
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace platform::linux_os {

// The folder part of a path: "." when it has no "/", "/" for a top-level name.
std::string folderOf(const std::string& path);
// The part after the last "/" (the whole path when it has none).
std::string nameOf(const std::string& path);

// Writes all of data, going on after interruptions. False on any failure.
bool writeAll(int fd, std::string_view data);

// Puts the folder's entries (a rename, a new name) on the storage.
bool syncFolder(const std::string& folder);

// A temporary file beside its destination (tempPrefix + six random
// characters, so on the same file system) that replaces the destination only
// when committed; dropped otherwise.
class AtomicFile {
 public:
  AtomicFile(std::string destination, const std::string& tempPrefix, mode_t mode);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool created() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Drops what was written so far.
  bool restart();
  // Flushes the file, renames it over the destination and flushes the
  // folder. False (and the destination as it was) on any failure.
  bool commit();

 private:
  std::string destination_;
  std::string tempPath_;
  int fd_ = -1;
};

// The prefix of the temporary files writeFileAtomically makes for path.
std::string atomicTempPrefix(const std::string& path);

// Replaces path so that a crash at any moment leaves either the old or the
// new content. False on any failure, with the old file left as it was and no
// temporary file behind.
bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode);

}  // namespace platform::linux_os

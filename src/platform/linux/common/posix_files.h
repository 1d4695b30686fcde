// The small POSIX file helpers every Linux service shares: path text, whole
// reads and writes, and crash-safe replacement of a file (write a temporary file beside
// it, flush it, rename it over, flush the folder).
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/common/posix_fd.h"
#include "platform/paths.h"

namespace platform::linux_os {

// The folder to open for a path's folder: platform::folderOf's, and "."
// (the working folder) for a bare name.
std::string folderOf(const std::string& path);

// An open folder listing; it closes its descriptor when it goes.
using FolderListing = std::unique_ptr<DIR, int (*)(DIR*)>;
// A listing that takes over folder (closed also when no listing can be
// made); null when it is no open folder.
FolderListing listingOf(UniqueFd folder);
// A listing from the start of the folder open as dirFd, through a descriptor
// of its own: dirFd stays open and usable.
FolderListing listingOfCopy(int dirFd);

// Whether path is a regular file itself: a link, even to one, is not.
bool isRegularFile(const std::string& path);

// What a whole-file read came to.
enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };
// Whether a read goes through a link in the last part of the path; a read
// that refuses one fails on it.
enum class AtLink { Follow, Refuse };

// Reads a regular file of at most maxSize bytes into out, which stays empty
// unless the read is Ok. Never blocks on a FIFO; a file that grows past
// maxSize while it is read is TooLarge.
ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out,
                         AtLink links);

// Writes all of data, going on after interruptions: 0, or the error number
// of the write that failed (ENOSPC for a write that took nothing).
int writeWhole(int fd, std::string_view data);
// writeWhole as a yes or no.
bool writeAll(int fd, std::string_view data);

// Plain words for an error number, e.g. "the disk is full",
// "read-only file system", "input/output error".
std::string errorWords(int code);

// Puts the folder's entries (a rename, a new name) on the storage.
bool syncFolder(const std::string& folder);

// What a replacement of a file came to.
struct FileReplacement {
  int error = 0;          // 0, or the error number of the step that failed
  bool replaced = false;  // the new content is in place; an error then says
                          // only that its folder could not be flushed
  bool ok() const { return error == 0; }
};

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
  // Why the temporary file could not be made (0 once it was).
  int creationError() const { return creationError_; }
  int fd() const { return fd_; }
  // Drops what was written so far.
  bool restart();
  // Flushes the file, renames it over the destination and flushes the
  // folder. False (and the destination as it was) on any failure.
  bool commit() { return commitFile().ok(); }
  // commit, telling what it came to.
  FileReplacement commitFile();

 private:
  std::string destination_;
  std::string tempPath_;
  int fd_ = -1;
  int creationError_ = 0;
};

// The prefix of the temporary files writeFileAtomically makes for path.
std::string atomicTempPrefix(const std::string& path);

// Replaces path so that a crash at any moment leaves either the old or the
// new content, its temporary file named tempPrefix + six characters. On a
// failure before the rename the old file is as it was; no temporary file is
// ever left behind.
FileReplacement replaceFileAtomically(const std::string& path, std::string_view content,
                                      mode_t mode, const std::string& tempPrefix);

// replaceFileAtomically with atomicTempPrefix; false (errno set) on failure.
bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// A temporary-file prefix that only this program uses, hidden beside path:
// "<folder>/.<name>.tracesweep-tmp-". A rewrite cut short by a kill leaves a
// file so named, which removeStaleTemporaries finds again.
std::string ownTempPrefix(const std::string& path);
// Whether a name in a folder is one of those temporaries: ownTempPrefix's
// pattern, or the "<name>.tracesweep-<digits>" of earlier versions.
bool isOwnTemporaryName(std::string_view name);

// Removes the regular files directly in folder whose name isTemporary
// accepts and that were last written before `before` (a file being written
// now is newer); links and folders so named are left.
void removeStaleTemporaries(const std::string& folder,
                            const std::function<bool(std::string_view)>& isTemporary,
                            const timespec& before);

}  // namespace platform::linux_os

// The file operations the program relies on. Error numbers are the program's:
// 53 file not found, 75 path/file access error (what a read-only file gives on
// deletion); any other failure is another non-zero number with its own text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrPathFileAccess = 75;
inline constexpr int kErrPathNotFound = 76;
inline constexpr int kErrPermissionDenied = 70;

inline constexpr int kAttrNormal = 0;
inline constexpr int kAttrReadOnly = 1;
inline constexpr int kAttrHidden = 2;
inline constexpr int kAttrSystem = 4;
inline constexpr int kAttrDirectory = 16;
inline constexpr int kAttrArchive = 32;

struct DirEntry {
  std::string name;
  int attributes = 0;
};

// What opening a file for a secure overwrite found.
enum class OverwriteKind {
  Opened,        // a regular file with a single name, not in use: ready to overwrite
  HardLinked,    // a regular file with other names: only this name may be removed
  SymbolicLink,  // a link: only the link may be removed, its target is never opened
  NotRegular,    // folder, FIFO, socket or device: left alone
  InUse,         // another process holds it open or mapped: left alone
  NotOwned,      // belongs to another user and the session skips those
  Missing,       // nothing of that name
  Failed,        // could not be opened; error says why
};

// One file opened for overwriting. It is held by descriptor, so writes reach
// the file that was checked even if its name changes meanwhile.
class OverwriteTarget {
 public:
  virtual ~OverwriteTarget() = default;
  // The current length in bytes. 0 on success, else an error number.
  virtual int length(std::int64_t& bytes) = 0;
  // Writes all of data at offset, in place.
  virtual int writeAt(std::int64_t offset, const unsigned char* data, std::size_t size) = 0;
  // Puts the written data on the storage (fdatasync, else fsync).
  virtual int syncData() = 0;
  // Closes the file (and ends whatever guard the layer held on it); the name
  // can still be removed afterwards.
  virtual void close() = 0;
  // Removes the name, only while it still names the file that was opened.
  virtual int remove() = 0;
};

struct OverwriteOpen {
  OverwriteKind kind = OverwriteKind::Failed;
  int error = 0;  // for Failed
  // Set for Opened, HardLinked and SymbolicLink (the last two only remove).
  std::unique_ptr<OverwriteTarget> target;
};

struct OverwriteOptions {
  bool ownedByUserOnly = false;  // report other users' files as NotOwned
  // The folder whose files this session wipes; every file must lie below it
  // and is reached from it one name at a time without following links and
  // without leaving its mount. Empty: each file's folder is resolved once
  // (realpath) and then opened from "/" one name at a time.
  std::string root;
};

// One secure-erasure operation: whatever it learns once (which files other
// processes hold open) serves every file of the operation.
class OverwriteSession {
 public:
  virtual ~OverwriteSession() = default;
  virtual OverwriteOpen open(const std::string& path) = 0;
  // Puts everything written so far on the storage of every file system that
  // the session's files live on (one syncfs each).
  virtual int syncAll() = 0;
};

class FileLayer {
 public:
  virtual ~FileLayer() = default;
  // The folder's entries (never "." or ".."), in the order the system returns
  // them; empty when the folder does not exist or cannot be read.
  virtual std::vector<DirEntry> listFolder(const std::string& folder) = 0;
  // 0 on success, else an error number (53, 75 or another).
  virtual int deleteFile(const std::string& path) = 0;
  virtual int setAttributes(const std::string& path, int attributes) = 0;
  virtual int fileLength(const std::string& path, std::int64_t& length) = 0;
  // The description of an error number, e.g. "File not found" for 53.
  virtual std::string errorText(int error) = 0;

  // Calls onFile with the path (relative to folder, "/"-separated) of every
  // entry under folder that is not a folder, at any depth, depth-first in the
  // order the system lists each folder. Links are reported, never entered.
  // 0 when the walk completed (an unreadable folder contributes nothing),
  // else an error number (the walk was cut short).
  virtual int walkFiles(const std::string& folder,
                        const std::function<void(const std::string& relative)>& onFile) = 0;
  virtual std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) = 0;
  // The user's home folder, so that destroying all of it can be asked again.
  virtual std::string homeFolder() { return {}; }
};

}  // namespace platform

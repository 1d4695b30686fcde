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

// The program's own words for its error numbers; nullptr for a number that
// carries a system error instead.
inline const char* programErrorText(int error) {
  switch (error) {
    case kErrFileNotFound:
      return "File not found";
    case kErrPathFileAccess:
      return "Path/File access error";
    case kErrPathNotFound:
      return "Path not found";
    case kErrPermissionDenied:
      return "Permission denied";
    default:
      return nullptr;
  }
}

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
  // A regular file whose earlier data no overwrite can reach: its file system
  // writes new data elsewhere and keeps the old blocks (copy-on-write,
  // journaled data, an overlay, a network or FUSE file system, any kind not
  // known to reach the data), or its blocks are shared with another file.
  // Only the name may be removed.
  OldCopiesKept,
  // A regular file on a file system in memory and swap: only the name may be
  // removed.
  InMemory,
  // A mount point, or a file on another mount than the folder that holds it:
  // neither written nor removed.
  MountPoint,
  // On a kernel interface that looks like files (proc, sysfs ...): writing
  // there gives the kernel orders. Left alone.
  OnKernelInterface,
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
  // For OldCopiesKept, InMemory and OnKernelInterface: the file system's
  // name ("btrfs", "tmpfs", "proc"), and for OldCopiesKept
  // whether it is the file's blocks, shared with another file, that keep the
  // old data (rather than the file system as a whole).
  std::string fileSystem;
  bool sharedBlocks = false;
  // Set for Opened, HardLinked, SymbolicLink, OldCopiesKept and InMemory
  // (all but Opened only remove).
  std::unique_ptr<OverwriteTarget> target;
};

struct OverwriteOptions {
  bool ownedByUserOnly = false;  // report other users' files as NotOwned
};

// One secure-erasure operation: whatever it learns once (which files other
// processes hold open) serves every file of the operation.
class OverwriteSession {
 public:
  virtual ~OverwriteSession() = default;
  // A session of a ChosenFolder takes a path relative to that folder ("/"
  // separated, no ".."), and reaches the file from the held folder one name
  // at a time, never through a link, never into another mount and never
  // through a folder that is not the one its listing went through. A session
  // of the file layer takes a file the user named: its folder is resolved
  // once, when it is opened.
  virtual OverwriteOpen open(const std::string& path) = 0;
  // Puts everything written so far on the storage of every file system that
  // the session's files live on (one syncfs each).
  virtual int syncAll() = 0;
};

// Why a folder must not be destroyed wholesale without asking again (the
// wipe page) or at all (the temporary folder's clearing).
enum class FolderProtection {
  None,
  Root,            // the root of the file system
  Home,            // the user's home folder
  HoldsHome,       // a folder that holds the user's home folder
  System,          // a folder of the operating system, or one inside it
  OtherUsersHome,  // another user's home folder
  MountRoot,       // the root of another mounted file system (a drive)
};

// A folder chosen for destruction: opened once and from then on known only
// by what was opened, so that a rename, a swap or a link placed on its path
// afterwards changes nothing that is listed or destroyed.
class ChosenFolder {
 public:
  virtual ~ChosenFolder() = default;
  // The absolute path it had when it was opened, links resolved (for words).
  virtual const std::string& path() const = 0;
  // The folder-safety rule's verdict on the folder that was opened (judged
  // by its identity and that of the folders above it, never by its name).
  virtual FolderProtection protection() const = 0;
  // As FileLayer::walkFiles, through the held folder. The folders it goes
  // through are remembered: a session of this folder reaches files only in
  // those very folders.
  virtual int walkFiles(const std::function<void(const std::string& relative)>& onFile) = 0;
  // True while path() still leads, through the same folders, to the folder
  // that was opened; false once it or a folder above it was moved, renamed
  // or replaced.
  virtual bool unchanged() = 0;
  // A session whose open() takes paths relative to this folder.
  virtual std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) = 0;
};

enum class ChosenFolderState {
  Opened,
  Missing,    // nothing of that name, or a folder on the way is missing
  NotFolder,  // a file or something else that is not a folder
  IsLink,     // the name itself is a link: not followed; linkTarget says where it leads
  Failed,     // could not be opened; error says why
};

struct ChosenFolderOpen {
  ChosenFolderState state = ChosenFolderState::Failed;
  int error = 0;                         // for Failed
  std::string path;                      // the absolute path that was looked at
  std::string linkTarget;                // for IsLink
  std::unique_ptr<ChosenFolder> folder;  // for Opened
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
  // order the system lists each folder. Links are reported, never entered;
  // so is a folder on another mount where the layer can tell (a drive or a
  // bind mount inside it).
  // 0 when the walk completed (an unreadable folder contributes nothing),
  // else an error number (the walk was cut short).
  virtual int walkFiles(const std::string& folder,
                        const std::function<void(const std::string& relative)>& onFile) = 0;
  // A session for files the user named one by one.
  virtual std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) = 0;
  // Makes folder absolute against the program's working folder and opens it,
  // once. A layer that cannot hold folders open refuses every folder.
  virtual ChosenFolderOpen chooseFolder(const std::string& folder) {
    ChosenFolderOpen refused;
    refused.path = folder;
    refused.error = kErrPathFileAccess;
    return refused;
  }
  // The user's home folder.
  virtual std::string homeFolder() { return {}; }
};

}  // namespace platform

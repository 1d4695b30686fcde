// The file operations that code independent of the system (the browser
// module) needs, with one meaning on every system: a folder held open and the
// names in it reached without ever following a link, whole small files read
// and replaced crash-safely, private copies, and the signs that another
// program holds a file. Linux works relative to open descriptors; Windows
// through handles opened on the reparse point itself, never its target.
// Every call returns its outcome; nothing is kept in a last-error getter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::files {

// 0, or the system's error code (errno on Linux, the Win32 code on Windows).
using FileError = int;

// Plain words for an error, e.g. "the disk is full", "read-only file system".
std::string errorWords(FileError error);
// Whether the error says that nothing was there.
bool isMissing(FileError error);
// Whether the error says that the name is a link, which was not followed.
bool isLinkRefused(FileError error);
// Whether the error says that the system or its file system cannot do what
// was asked at all (an exchange of two names where it has none).
bool isUnsupported(FileError error);

enum class EntryKind { File, Folder, Link, Other };

// What removing a folder with everything in it came to.
struct TreeRemoval {
  std::uint64_t removed = 0;  // names removed (files, links, folders)
  FileError error = 0;        // 0, or the first failure; the walk goes on
  std::string failedPath;     // where that failure was
  bool gone() const { return error == 0; }
};

// What a name is, looked at without following a link.
struct EntryInfo {
  EntryKind kind = EntryKind::Other;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;  // nanoseconds since 1970-01-01 UTC
  std::int64_t accessedNs = 0;
};

// Which file or folder a name leads to: two names of one entry, or one name
// before and after a rename, give the same identity; two entries that exist
// at once never do.
struct EntryId {
  std::uint64_t volume = 0;  // the device (Linux), the volume's serial number (Windows)
  std::uint64_t index = 0;   // the inode (Linux), the file index (Windows)
  friend bool operator==(const EntryId&, const EntryId&) = default;
};
struct EntryIdentity {
  FileError error = 0;  // 0, or why the name could not be looked at
                        // (isMissing: nothing is there)
  EntryKind kind = EntryKind::Other;
  EntryId id;
};

class OpenFolder;

// A hold of a folder against a second copy of this program changing names
// in it at the same time: a second hold of the same folder waits until the
// first goes. Only copies of this program ask for it; the browsers never
// wait. Linux: a lock (flock) on the folder; Windows: a mutex of the session
// named by the folder's identity.
class ChangeHold {
 public:
  ChangeHold() = default;
  ChangeHold(ChangeHold&&) noexcept;
  ChangeHold& operator=(ChangeHold&&) noexcept;
  ~ChangeHold();

  bool held() const { return handle_ != kNone; }
  FileError error() const { return error_; }

 private:
  friend class OpenFolder;
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
  FileError error_ = 0;
};

// A file of a folder open for reading (a regular file, never a link or a
// pipe). Invalid when it could not be opened so.
class ReadFile {
 public:
  ReadFile() = default;
  ReadFile(ReadFile&&) noexcept;
  ReadFile& operator=(ReadFile&&) noexcept;
  ~ReadFile();

  bool valid() const { return handle_ != kNone; }
  FileError error() const { return error_; }
  const EntryInfo& info() const { return info_; }
  // Reads exactly length bytes at offset; false when they are not all there.
  bool readAt(std::uint64_t offset, char* out, std::size_t length) const;
  // Reads up to length bytes from where the last read ended: the count, 0 at
  // the end, -1 on an error.
  long long readNext(char* out, std::size_t length);

 private:
  friend class OpenFolder;
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
  FileError error_ = 0;
  EntryInfo info_;
};

// A folder held open. A link planted in place of the folder is refused when
// it is opened, and the names in it are reached through what was opened, so
// a folder swapped afterwards is never entered.
class OpenFolder {
 public:
  OpenFolder() = default;
  OpenFolder(OpenFolder&&) noexcept;
  OpenFolder& operator=(OpenFolder&&) noexcept;
  ~OpenFolder();

  // The folder at path; a link as its last part is refused (isLinkRefused).
  static OpenFolder open(const std::string& path);
  // A folder inside this one, refused the same way.
  OpenFolder child(std::string_view name) const;

  bool valid() const { return handle_ != kNone; }
  FileError error() const { return error_; }
  const std::string& path() const { return path_; }

  // Every name in the folder but "." and "..", in the system's order.
  std::vector<std::string> names() const;
  // What the name is; nothing when it is not there.
  std::optional<EntryInfo> info(std::string_view name) const;
  // Removes a file or a link (never what a link leads to). 0 when it is
  // gone, also when it was not there.
  FileError remove(std::string_view name) const;
  // Opens a regular file of the folder for reading.
  ReadFile openFile(std::string_view name) const;
  // Removes the folder name and everything in it, never following a link: a
  // link inside goes as a link and its target stays. Each level is reached
  // through the one above it, never by its path again, and nothing on
  // another file system (a mount inside) is entered or removed. A name that
  // is not a folder is removed as remove() does; nothing there is gone.
  TreeRemoval removeTree(std::string_view name) const;

  // Which entry the name is, a link itself and not what it leads to.
  EntryIdentity identity(std::string_view name) const;
  // Renames an entry of the folder (a folder too) to another name in it, in
  // one step. Never replaces: an error when `to` is there already.
  FileError rename(std::string_view from, std::string_view to) const;
  // Swaps what two names of the folder lead to, in one step: at every
  // instant each name leads to one of the two. isUnsupported where the
  // system or the file system has no such step (Windows).
  FileError exchange(std::string_view first, std::string_view second) const;
  // Puts the folder's names (renames, new and removed names) on the disk.
  FileError sync() const;
  // Waits for, then takes, the hold of this folder against a second copy
  // of this program; held until the object returned goes.
  ChangeHold holdForChange() const;

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;
  FileError error_ = 0;
  std::string path_;
};

// What a name is, without following a link in its last part.
std::optional<EntryInfo> infoOf(const std::string& path);
// Whether path is a regular file itself: a link, even to one, is not.
bool isRegularFile(const std::string& path);

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Failed };
// Reads a regular file of at most maxSize bytes (never through a link, never
// blocking on a pipe) into out, which stays empty unless the read is Ok.
ReadStatus readWholeFile(const std::string& path, std::size_t maxSize, std::string& out);

// What a replacement of a file came to.
struct Replacement {
  FileError error = 0;    // 0, or the error of the step that failed
  bool replaced = false;  // the new content is in place; an error then says
                          // only that its folder could not be flushed
};
// Replaces a regular file's content so that a crash at any moment leaves
// the old or the new content: a hidden temporary beside it (a name only this
// program uses) with the old file's permissions, written and flushed, renamed
// over it, and the folder flushed. On a failure before the rename the old
// file is exactly as it was and no temporary is left.
Replacement replaceFile(const std::string& path, std::string_view content);
// Removes the temporaries that a replacement cut short (a kill, a crash)
// left in folder, those written before `before`.
void removeStaleTemporaries(const std::string& folder, const timespec& before);

// replaceFile for a small file of this program's own, made (readable only
// by its owner) when it is not there yet.
Replacement writeOwnFile(const std::string& path, std::string_view content);

// Removes a file or a link itself; 0 when it is gone (also when it was not
// there).
FileError removeFile(const std::string& path);

// A new folder that only this user can enter, under the system's temporary
// folder, named prefix + random characters; it goes, with the files in it,
// with the object. Folders so named that are over an hour old (left by a
// crash) are removed when a new one is made.
class PrivateFolder {
 public:
  static std::unique_ptr<PrivateFolder> make(const std::string& prefix);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  explicit PrivateFolder(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

enum class CopyResult { Copied, Missing, Failed };
// Copies a regular file (never through a link) to a new file `to`, which
// must not exist yet.
CopyResult copyToNewFile(const std::string& from, const std::string& to);

// A root or profile folder the user keeps, which the user may have moved
// and left a link to: the link is followed once, what it leads to is judged
// (never another user's folder, a system folder or the home itself), and the
// folder is known afterwards by its real path (no link in it) and identity.
struct HeldFolder {
  std::string realPath;
  std::uint64_t device = 0;  // the identity of the folder on this machine:
  std::uint64_t inode = 0;   // the same folder reached twice has the same pair
  bool throughLink = false;  // the path named was a link to it
};
struct FolderHold {
  enum class Result { Held, Absent, Refused };
  Result result = Result::Absent;
  HeldFolder folder;    // when Held
  std::string refusal;  // when Refused: why, in plain words
};
FolderHold holdUserFolder(const std::string& path);

// Whether another program holds a lock on the file: on Linux a write lock
// (fcntl) on it, on Windows the file open without sharing. False when the
// file is not there.
bool heldLocked(const std::string& path);

}  // namespace platform::files

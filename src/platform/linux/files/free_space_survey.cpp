#include "platform/linux/files/free_space_survey.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/linux/common/file_system_kinds.h"
#include "platform/linux/common/mountinfo.h"

namespace platform::linux_os {

namespace {

// Why a fill of this kind of file system cannot reach what deleted files
// left behind; empty where it can.
std::string refusalFor(const FileSystemType& type, const std::string& name) {
  if (type.byProgram && type.kind != FileSystemKind::OverwriteReaches)
    return "it is a file system provided by a program (" + name +
           "), such as sshfs or a cloud drive: that program decides where the data is kept, "
           "and it may keep old copies where no fill reaches";
  switch (type.kind) {
    case FileSystemKind::OverwriteReaches:
      return {};
    case FileSystemKind::InMemory:
      return "it is " + name + ", which lives in memory: nothing of it is on a disk";
    case FileSystemKind::HoldsNoFiles:
      return "it is " + name + ", which is not a place of files";
    case FileSystemKind::KeepsOldCopies:
      break;
  }
  if (!type.known)
    return "Tracesweep does not know how this file system (" + name +
           ") stores data, so it cannot promise that a fill reaches what was deleted";
  return "it is " + name +
         ", which keeps old data where a fill does not reach it (copy-on-write and snapshots, "
         "a server, or a layer below)";
}

std::string hex(unsigned long value) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  do text.insert(text.begin(), digits[value & 15]), value >>= 4;
  while (value);
  return "0x" + text;
}

std::string pathOf(int fd) {
  std::string buffer(4096, '\0');
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
  return length > 0 ? buffer.substr(0, static_cast<std::size_t>(length)) : std::string();
}

bool isMountRoot(int fd) {
  struct statx stx {};
  return statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &stx) == 0 &&
         (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
         (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// Climbs from folder to the top folder of its mount, as far as it may.
UniqueFd topFolderOf(int folder) {
  UniqueFd current(fcntl(folder, F_DUPFD_CLOEXEC, 0));
  for (int depth = 0; depth < 4096 && current.valid() && !isMountRoot(current.get()); ++depth) {
    UniqueFd parent(openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat here {
    }, above{};
    if (!parent.valid() || fstat(current.get(), &here) != 0 || fstat(parent.get(), &above) != 0 ||
        above.st_dev != here.st_dev || (above.st_ino == here.st_ino))
      break;
    current = std::move(parent);
  }
  return current;
}

// "1" rotational, "0" flash; the disk of a partition holds the queue.
bool onFlash(dev_t device) {
  const std::string base =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
    std::ifstream in(base + queue);
    char flag = 0;
    if (in >> flag) return flag == '0';
  }
  return false;
}

// The format a block device holds: from its first sector where it can be
// read (root, the disk group), else from the system's device database.
std::string deviceFormat(dev_t device, const std::string& source) {
  const std::string id = std::to_string(major(device)) + ":" + std::to_string(minor(device));
  for (const std::string& path : {"/dev/block/" + id, source}) {
    if (!path.starts_with("/dev/")) continue;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    char sector[512];
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISBLK(st.st_mode) || st.st_rdev != device ||
        pread(fd.get(), sector, sizeof sector, 0) != static_cast<ssize_t>(sizeof sector))
      continue;
    return std::memcmp(sector + 3, "NTFS    ", 8) == 0 ? "ntfs" : "other";
  }
  std::ifstream database("/run/udev/data/b" + id);
  for (std::string line; std::getline(database, line);)
    if (line.starts_with("E:ID_FS_TYPE=")) return line.substr(13);
  return {};
}

// statfs says only FUSE: the mount table and the device say which program.
FileSystemType programFileSystem(dev_t device, std::string& mountType) {
  for (const MountEntry& mount : ReadMountInfo("/proc/self/mountinfo")) {
    if (mount.deviceMajor != major(device) || mount.deviceMinor != minor(device)) continue;
    mountType = mount.fsType;
    const std::string format =
        mount.fsType == "fuseblk" ? deviceFormat(device, mount.source) : std::string();
    return fileSystemRunByProgram(mount.fsType, mount.source, format);
  }
  return fileSystemRunByProgram("", "", "");
}

std::string errorWords(int error) {
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(text[0]));
  return text;
}

void addNotes(SurveyedDrive& out, const struct stat& st) {
  FreeSpaceDrive& drive = out.drive;
  drive.notes.push_back("the names of deleted files, which their folders keep");
  // What each kind keeps for itself; the space it keeps back from ordinary
  // files is reached through the fill's own blocks and counted after the run.
  const std::string& kind = drive.fileSystem;
  if (kind == "ext4" || kind == "ext3")
    drive.notes.push_back(
        "the file system's journal, which keeps copies of recently changed folders and file "
        "details");
  else if (kind == "XFS")
    drive.notes.push_back(
        "the blocks XFS keeps for its own records (a few in each allocation group) and its log");
  else if (kind == "NTFS")
    drive.notes.push_back(
        "small deleted files (up to about 700 bytes), which NTFS keeps inside its file table, "
        "and its log");
  else
    drive.notes.push_back("the space the file system keeps for its own records");
  if (onFlash(st.st_dev))
    drive.notes.push_back(
        "this is flash memory: its controller may keep copies of old blocks that no fill "
        "reaches; full-disk encryption is what protects a flash drive");
}

}  // namespace

SurveyedDrive surveyDrive(const std::string& folder) {
  SurveyedDrive out;
  FreeSpaceDrive& drive = out.drive;
  out.folder = UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat st {};
  struct statfs fs {};
  struct statvfs vfs {};
  if (!out.folder.valid() || fstat(out.folder.get(), &st) != 0 ||
      fstatfs(out.folder.get(), &fs) != 0 || fstatvfs(out.folder.get(), &vfs) != 0) {
    drive.refusal = folder + " cannot be opened: " + errorWords(errno);
    return out;
  }
  out.top = topFolderOf(out.folder.get());
  drive.mountPoint = pathOf(out.top.valid() ? out.top.get() : out.folder.get());
  const auto magic = static_cast<unsigned long>(fs.f_type) & 0xffffffffUL;
  FileSystemType type = fileSystemOfMagic(magic);
  std::string mountType;
  if (type.byProgram) type = programFileSystem(st.st_dev, mountType);
  drive.fileSystem = type.known ? type.name : hex(magic);
  if (type.byProgram && type.kind != FileSystemKind::OverwriteReaches && !mountType.empty())
    drive.fileSystem = mountType;
  out.blockSize = static_cast<long>(vfs.f_bsize);
  const auto unit = static_cast<std::int64_t>(vfs.f_frsize);
  drive.totalBytes = static_cast<std::int64_t>(vfs.f_blocks) * unit;
  drive.freeBytes = static_cast<std::int64_t>(vfs.f_bavail) * unit;
  drive.reservedBytes = static_cast<std::int64_t>(vfs.f_bfree - vfs.f_bavail) * unit;
  if (std::string why = refusalFor(type, drive.fileSystem); !why.empty()) {
    drive.refusal = "the free space of " + drive.mountPoint + " cannot be wiped: " + why;
    return out;
  }
  if (vfs.f_flag & ST_RDONLY) {
    drive.refusal = drive.mountPoint + " is read-only; nothing can be written there";
    return out;
  }
  if (out.top.valid() && flock(out.top.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    drive.refusal = "the free space of " + drive.mountPoint + " is being wiped by another run";
    return out;
  }
  addNotes(out, st);
  return out;
}

}  // namespace platform::linux_os

#include "platform/windows/free_space_survey.h"

#include <algorithm>
#include <cctype>

#include "platform/windows/folder_safety.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"
// clang-format off
#include <winioctl.h>
// clang-format on

namespace platform::windows_os {

namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The file systems whose free space a fill overwrites in place.
bool fillReaches(const std::string& fileSystem) {
  const std::string kind = lowered(fileSystem);
  return kind == "ntfs" || kind == "fat" || kind == "fat12" || kind == "fat16" || kind == "fat32" ||
         kind == "exfat";
}

bool isFat(const std::string& fileSystem) {
  const std::string kind = lowered(fileSystem);
  return kind.rfind("fat", 0) == 0;
}

std::string hex(std::uint32_t value) {
  static const char* digits = "0123456789abcdef";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = digits[value & 15];
  return text;
}

enum class Medium { Spinning, Flash, Unknown };

// Whether the disk under a volume seeks (a spinning disk) or not (flash).
Medium mediumOf(const std::string& volumePath) {
  std::string device;
  char name[MAX_PATH + 1] = {};
  if (GetVolumeNameForVolumeMountPointA(volumePath.c_str(), name, sizeof name)) {
    device = name;
    if (!device.empty() && device.back() == '\\') device.pop_back();
  } else if (volumePath.size() == 3 && volumePath[1] == ':') {
    device = "\\\\.\\" + volumePath.substr(0, 2);
  } else {
    return Medium::Unknown;
  }
  // No access rights are needed to ask about the device.
  OwnedHandle volume(CreateFileA(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  if (!volume.valid()) return Medium::Unknown;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
  DWORD returned = 0;
  if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                       sizeof penalty, &returned, nullptr) ||
      returned < sizeof penalty)
    return Medium::Unknown;
  return penalty.IncursSeekPenalty ? Medium::Spinning : Medium::Flash;
}

void addNotes(FreeSpaceDrive& drive, UINT driveType) {
  const bool ntfs = lowered(drive.fileSystem) == "ntfs";
  if (ntfs) {
    drive.notes.push_back(
        "what the drive's file table (the MFT) keeps of deleted files: their names, sizes and "
        "times, and the whole content of very small files, which NTFS stores in the table "
        "itself");
    drive.notes.push_back(
        "the space the file system keeps for itself (the file table and its log), and what the "
        "drive's shadow copies (System Restore points) keep of files as they were");
  } else {
    drive.notes.push_back("the names of deleted files, which their folders keep");
  }
  const Medium medium = mediumOf(drive.mountPoint);
  const std::string copies =
      "its controller may keep copies of old blocks that no fill reaches; full-disk encryption "
      "(BitLocker) is what protects a flash drive";
  if (medium == Medium::Flash)
    drive.notes.push_back("this is flash memory: " + copies);
  else if (driveType == DRIVE_REMOVABLE)
    drive.notes.push_back("this is a removable drive, most likely flash memory: " + copies);
  else if (medium == Medium::Unknown)
    drive.notes.push_back("if this is flash memory (an SSD, a memory card or stick), " + copies);
}

// Fill files that a power cut left behind (delete-on-close needs the system
// to run): nothing holds them, so they go now. Those of a running fill are
// open without sharing and stay.
void removeLeftovers(const std::string& folder) {
  const std::string prefix = kFillFilePrefix, suffix = kFillFileSuffix;
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA(pathInFolder(folder, prefix + "*" + suffix).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    const bool ours = name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
                      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    if (ours &&
        !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
      DeleteFileA(pathInFolder(folder, name).c_str());
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

// The drive's lock: a named mutex, which exists as long as a run holds it.
// Global, so that a run in another session is seen too.
bool lockVolume(SurveyedVolume& out, std::uint32_t serial) {
  std::string id = hex(serial);
  if (serial == 0) {
    id = lowered(out.drive.mountPoint);
    std::replace_if(
        id.begin(), id.end(), [](char c) { return c == '\\' || c == ':'; }, '_');
  }
  const std::string name = "Global\\tracesweep-free-space-" + id;
  out.lock = OwnedHandle(CreateMutexA(nullptr, FALSE, name.c_str()));
  const DWORD error = GetLastError();
  if (out.lock.valid() && error != ERROR_ALREADY_EXISTS) return true;
  out.lock.reset();
  // Access denied: a run of another user made it.
  const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  out.drive.refusal = "the free space of " + out.drive.mountPoint +
                      (taken ? " is being wiped by another run"
                             : " cannot be reserved for this run: " + systemErrorWords(error));
  return false;
}

}  // namespace

std::string pathInFolder(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string volumeRefusal(unsigned driveType, const std::string& fileSystem, unsigned long flags) {
  switch (driveType) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
      break;
    case DRIVE_REMOTE:
      return "it is a network drive, whose data lives on a server: a fill here does not reach it";
    case DRIVE_RAMDISK:
      return "it is a RAM disk, which lives in memory: nothing of it is on a disk";
    case DRIVE_CDROM:
      return "it is a CD or DVD drive, where what was written once is not written over";
    default:
      return "Tracesweep does not know what kind of drive this is, so it cannot promise that a "
             "fill reaches what was deleted";
  }
  if (lowered(fileSystem) == "refs")
    return "it is ReFS, which writes new data beside the old and lets files share blocks: what "
           "deleted files left is not all in its free space";
  if (!fillReaches(fileSystem))
    return "Tracesweep does not know how this file system (" +
           (fileSystem.empty() ? std::string("unnamed") : fileSystem) +
           ") stores data, so it cannot promise that a fill reaches what was deleted";
  if (flags & FILE_READ_ONLY_VOLUME) return "it is read-only; nothing can be written there";
  return {};
}

SurveyedVolume surveyVolume(const std::string& folder) {
  SurveyedVolume out;
  FreeSpaceDrive& drive = out.drive;
  std::string typed = folder;
  std::replace(typed.begin(), typed.end(), '/', '\\');
  // Links are followed: the fill takes the space of the drive where the
  // folder really is. Held without sharing its deletion, the folder keeps
  // its place and its name while the fill makes files in it.
  out.folder = OwnedHandle(CreateFileA(typed.c_str(),
                                       FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!out.folder.valid() || !GetFileInformationByHandle(out.folder.get(), &info)) {
    drive.refusal = folder + " cannot be opened: " + systemErrorWords(GetLastError());
    return out;
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    drive.refusal = folder + " is not a folder";
    return out;
  }
  out.folderPath = finalPathOfHandle(out.folder.get());
  char volume[MAX_PATH + 1] = {};
  if (out.folderPath.empty() ||
      !GetVolumePathNameA(out.folderPath.c_str(), volume, sizeof volume)) {
    drive.refusal =
        "the drive of " + folder + " cannot be found: " + systemErrorWords(GetLastError());
    return out;
  }
  // The calls below take a drive's root with its closing "\\" (Wine leaves
  // it off a folder where a drive is mounted).
  drive.mountPoint = pathInFolder(volume, "");
  const UINT driveType = GetDriveTypeA(drive.mountPoint.c_str());
  char fileSystem[MAX_PATH + 1] = {};
  DWORD serial = 0, longestName = 0, flags = 0;
  const bool named = GetVolumeInformationA(drive.mountPoint.c_str(), nullptr, 0, &serial,
                                           &longestName, &flags, fileSystem, sizeof fileSystem);
  const DWORD nameError = named ? 0 : GetLastError();
  drive.fileSystem = named && fileSystem[0] ? fileSystem : "unknown";

  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (GetDiskFreeSpaceExA(out.folderPath.c_str(), &available, &total, &totalFree)) {
    drive.freeBytes = static_cast<std::int64_t>(available.QuadPart);
    drive.totalBytes = static_cast<std::int64_t>(total.QuadPart);
    // What a quota keeps from this user.
    drive.reservedBytes = static_cast<std::int64_t>(totalFree.QuadPart) -
                          static_cast<std::int64_t>(available.QuadPart);
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (GetDiskFreeSpaceA(drive.mountPoint.c_str(), &sectorsPerCluster, &bytesPerSector,
                        &freeClusters, &clusters) &&
      bytesPerSector >= 512 && bytesPerSector <= 65536 && !(bytesPerSector & (bytesPerSector - 1)))
    out.sectorSize = bytesPerSector;
  if (isFat(drive.fileSystem)) out.largestFile = 0xffffffffll;

  std::string why = volumeRefusal(driveType, fileSystem, flags);
  if (!named && (driveType == DRIVE_FIXED || driveType == DRIVE_REMOVABLE))
    why = "its file system cannot be told (" + systemErrorWords(nameError) + ")";
  if (!why.empty()) {
    drive.refusal = "the free space of " + drive.mountPoint + " cannot be wiped: " + why;
    return out;
  }
  if (!lockVolume(out, serial)) return out;
  removeLeftovers(out.folderPath);
  addNotes(drive, driveType);
  return out;
}

}  // namespace platform::windows_os

// What a free-space wipe meets on the drive (volume) that holds a folder: the
// folder, held so that it can be neither renamed nor removed; the drive's
// kind and file system and whether a fill reaches deleted data there; its
// free space; the lock that keeps a second run off the drive; and what the
// user should know (what the fill does not reach, a flash drive).
#pragma once

#include <cstdint>
#include <string>

#include "platform/free_space.h"
#include "platform/windows/owned_handle.h"

namespace platform::windows_os {

struct SurveyedVolume {
  OwnedHandle folder;      // the chosen folder, without sharing its deletion
  OwnedHandle lock;        // the drive's named mutex: exists while a run holds the drive
  std::string folderPath;  // its final path, where the fill's files are made
  std::uint32_t sectorSize = 512;
  // The largest file the file system takes (FAT: 4 GiB less a byte).
  std::int64_t largestFile = INT64_MAX;
  FreeSpaceDrive drive;
};

SurveyedVolume surveyVolume(const std::string& folder);

// Why a fill cannot reach deleted data on a drive of this type (GetDriveType)
// with this file system and these flags (GetVolumeInformation); "" when it can.
std::string volumeRefusal(unsigned driveType, const std::string& fileSystem, unsigned long flags);

// The names the fill gives its files, which nothing else uses.
inline constexpr const char* kFillFilePrefix = "~tracesweep-free-space-";
inline constexpr const char* kFillFileSuffix = ".tmp";
// name in folder (a final path, with or without its closing "\").
std::string pathInFolder(const std::string& folder, const std::string& name);

}  // namespace platform::windows_os

// The file operations the program relies on. Error numbers are the program's:
// 53 file not found, 75 path/file access error (what a read-only file gives on
// deletion); any other failure is another non-zero number with its own text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrPathFileAccess = 75;

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
};

}  // namespace platform

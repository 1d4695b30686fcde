// The files that other processes hold open or mapped, read once from /proc as
// device and inode numbers.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <unordered_set>

namespace platform::linux_os {

class OpenFilesSnapshot {
 public:
  // Reads every other process's open descriptors and file maps that this
  // user may see.
  static OpenFilesSnapshot take();

  bool contains(dev_t dev, ino_t ino) const;
  std::size_t size() const { return files_.size(); }

 private:
  void add(dev_t dev, ino_t ino);
  void addDescriptors(int procFd, const char* pid);
  void addMaps(int procFd, const char* pid);

  struct KeyHash {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& key) const {
      return std::hash<std::uint64_t>()(key.first * 0x9E3779B97F4A7C15ull ^ key.second);
    }
  };
  std::unordered_set<std::pair<std::uint64_t, std::uint64_t>, KeyHash> files_;
};

}  // namespace platform::linux_os

// A child process that holds a file open (or only mapped) until the holder
// ends, as another program would.
#pragma once

#include <string>

namespace erasetest {

class FileHolder {
 public:
  enum class Mode { Read, Write, MapOnly };
  FileHolder(const std::string& path, Mode mode);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool holding() const { return holding_; }

 private:
  int pid_ = -1;
  bool holding_ = false;
};

bool runningAsRoot();

}  // namespace erasetest

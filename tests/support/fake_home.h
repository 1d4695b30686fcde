// A temporary HOME with the XDG folders at their defaults, for the profile
// search; everything is removed afterwards.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "temp_dir.h"

namespace browsertest {

class FakeHome {
 public:
  FakeHome()
      : home_("HOME", dir_.str()),
        config_("XDG_CONFIG_HOME", dir_.str() + "/.config"),
        cache_("XDG_CACHE_HOME", dir_.str() + "/.cache"),
        data_("XDG_DATA_HOME", dir_.str() + "/.local/share") {}
  std::string path(const std::string& relative = {}) const {
    return relative.empty() ? dir_.str() : dir_.str() + "/" + relative;
  }
  void write(const std::string& relative, const std::string& content) const {
    dir_.write(relative, content);
  }

 private:
  testsupport::TempDir dir_;
  testsupport::EnvGuard home_, config_, cache_, data_;
};

// Another process holding an fcntl write lock on a file, as a running Firefox
// holds its .parentlock (a lock of our own process would not be seen).
class LockHolder {
 public:
  explicit LockHolder(const std::string& file);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  pid_t child_ = -1;
};

}  // namespace browsertest

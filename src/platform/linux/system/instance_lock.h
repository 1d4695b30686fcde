// The one-copy-per-user lock: an flock on a file in $XDG_RUNTIME_DIR, or in a
// private per-user folder when that is unset. The kernel drops the lock when
// the process ends, so a crash never leaves a stale lock behind.
#pragma once

#include <string>

namespace platform::linux_os {

class InstanceLock {
 public:
  enum class State { Held, HeldByAnother, Unavailable };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Tries once to take the lock at `file`; the result is kept.
  State acquire(const std::string& file);
  State state() const { return state_; }

  // The lock file from the live environment: $XDG_RUNTIME_DIR/tracesweep.lock,
  // else $XDG_CACHE_HOME/tracesweep/, else /tmp/tracesweep-<uid>/ (made 0700
  // and checked to be ours); "" when none of them can be used.
  static std::string defaultFile();

 private:
  int fd_ = -1;
  State state_ = State::Unavailable;
};

}  // namespace platform::linux_os

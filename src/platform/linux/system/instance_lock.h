// The one-copy-per-user lock: an flock on a file in $XDG_RUNTIME_DIR, or in a
// private per-user folder when that is unset. The kernel drops the lock when
// the process ends, so a crash never leaves a stale lock behind.
#pragma once

#include <string>

#include "platform/linux/common/posix_fd.h"

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

  // Where the lock file may live, in order of preference: $XDG_RUNTIME_DIR,
  // $XDG_CACHE_HOME/tracesweep, /tmp/tracesweep-<uid> (the last two made 0700
  // and checked to be ours).
  enum class Place { Runtime, Cache, Tmp };
  static constexpr Place kPlaces[] = {Place::Runtime, Place::Cache, Place::Tmp};
  // The lock file's path in that place, from the live environment; "" when
  // the place cannot be used.
  static std::string fileIn(Place place);
  // The first usable place's file.
  static std::string defaultFile();

  // Takes the lock in the first place where the file can be opened.
  State acquireAnywhere();

 private:
  UniqueFd fd_;
  State state_ = State::Unavailable;
};

}  // namespace platform::linux_os

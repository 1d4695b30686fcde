#include "platform/linux/system/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

namespace {

constexpr const char* kLockName = "/tracesweep.lock";

// A folder only this user can enter: a real directory (not a link), ours, 0700.
bool isPrivateFolder(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & 077) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string InstanceLock::fileIn(Place place) {
  switch (place) {
    case Place::Runtime: {
      std::string runtime = xdgRuntimeDir();
      return !runtime.empty() && isDirectory(runtime) ? runtime + kLockName : "";
    }
    case Place::Cache: {
      std::string cache = xdgCacheHome() + "/tracesweep";
      return ensureFolder(cache, 0700) && isPrivateFolder(cache) ? cache + kLockName : "";
    }
    case Place::Tmp: {
      // A shared /tmp: someone else may have made the folder first, so it is
      // used only when it is ours and closed to others.
      std::string tmp = "/tmp/tracesweep-" + std::to_string(getuid());
      mkdir(tmp.c_str(), 0700);
      return isPrivateFolder(tmp) ? tmp + kLockName : "";
    }
  }
  return "";
}

std::string InstanceLock::defaultFile() {
  for (Place place : kPlaces)
    if (std::string file = fileIn(place); !file.empty()) return file;
  return "";
}

InstanceLock::State InstanceLock::acquireAnywhere() {
  // A runtime folder we cannot write to (a stale variable) must not turn
  // the one-copy rule off: the next place is tried.
  for (Place place : kPlaces)
    if (acquire(fileIn(place)) != State::Unavailable) break;
  return state_;
}

InstanceLock::~InstanceLock() = default;

InstanceLock::State InstanceLock::acquire(const std::string& file) {
  if (fd_.valid() || file.empty()) return state_;
  // Close-on-exec: a program we start must not keep the lock after we end.
  UniqueFd fd(open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd.valid()) return state_ = State::Unavailable;
  while (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    state_ = errno == EWOULDBLOCK ? State::HeldByAnother : State::Unavailable;
    return state_;
  }
  fd_ = std::move(fd);
  return state_ = State::Held;
}

}  // namespace platform::linux_os

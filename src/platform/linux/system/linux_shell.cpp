#include "platform/linux/system/linux_shell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>

#include "platform/linux/common/folder_safety.h"
#include "platform/linux/system/tmpfiles_exclusions.h"

extern char** environ;

namespace platform::linux_os {

namespace {

// The child starts with the signal state a fresh program expects, whatever
// the toolkit has blocked or ignored here, in a process group of its own so
// that a signal to ours does not end the browser too.
bool prepareAttributes(posix_spawnattr_t& attr) {
  if (posix_spawnattr_init(&attr) != 0) return false;
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  return true;
}

}  // namespace

void LinuxShell::openUrl(const std::string& url) {
  posix_spawnattr_t attr;
  if (!prepareAttributes(attr)) return;
  std::string program = "xdg-open";
  std::string argument = url;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  int result = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  if (result != 0) return;
  std::thread([pid] {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

std::string LinuxShell::tempPath() {
  std::string folder = "/tmp";
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir && tmpdir[0] == '/') {
    struct stat st {};
    if (stat(tmpdir, &st) == 0 && S_ISDIR(st.st_mode)) folder = tmpdir;
  }
  // Through its real folder: a $TMPDIR (or /tmp) that is a link would
  // otherwise be skipped by a walk that never follows one.
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return {};
  folder = resolved;
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

bool LinuxShell::mayClearFolder(const std::string& folder) {
  return MayClearFolder(folder);
}

SystemKeeps LinuxShell::systemKeepsIn(const std::string& folder) {
  return SystemKeepsIn(folder);
}

}  // namespace platform::linux_os

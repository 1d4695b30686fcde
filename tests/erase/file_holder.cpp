#include "file_holder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace erasetest {

FileHolder::FileHolder(const std::string& path, Mode mode) {
  int ready[2];
  if (pipe(ready) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    int fd = open(path.c_str(), mode == Mode::Write ? O_WRONLY : O_RDONLY);
    char ok = fd >= 0 ? 'y' : 'n';
    if (fd >= 0 && mode == Mode::MapOnly) {
      void* map = mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0);
      ok = map != MAP_FAILED ? 'y' : 'n';
      close(fd);  // only the map is left
    }
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(ready[1]);
  char answer = 'n';
  holding_ = pid_ > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
  close(ready[0]);
}

FileHolder::~FileHolder() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool runningAsRoot() {
  return geteuid() == 0;
}

}  // namespace erasetest

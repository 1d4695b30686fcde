#include "fake_home.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>

namespace browsertest {

LockHolder::LockHolder(const std::string& file) {
  int ready[2];
  EXPECT_EQ(pipe(ready), 0);
  child_ = fork();
  if (child_ == 0) {
    int fd = open(file.c_str(), O_RDWR | O_CREAT, 0600);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    char ok = (fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0) ? '1' : '0';
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char ok = 0;
  EXPECT_EQ(read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, '1') << "could not lock " << file;
  close(ready[0]);
}

LockHolder::~LockHolder() {
  if (child_ > 0) {
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
  }
}

}  // namespace browsertest

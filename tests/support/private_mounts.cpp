#include "private_mounts.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace testsupport {

namespace {
constexpr int kCannot = 77;  // the child could not make the namespace
}

bool inPrivateMountNamespace(const std::function<void()>& body, std::string& whyNot) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    whyNot = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    const char* step = nullptr;
    if (unshare(CLONE_NEWNS) != 0)
      step = "unshare(CLONE_NEWNS)";
    else if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      step = "making / private";
    if (step) {
      const std::string why = std::string(step) + ": " + std::strerror(errno);
      (void)!write(pipeFds[1], why.data(), why.size());
      _exit(kCannot);
    }
    close(pipeFds[1]);
    body();
    std::fflush(nullptr);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  close(pipeFds[1]);
  if (child < 0) {
    close(pipeFds[0]);
    whyNot = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  char buffer[256];
  const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannot) {
    whyNot = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "no mount namespace";
    return false;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the part run in a private mount namespace failed (its messages are above)";
  return true;
}

}  // namespace testsupport

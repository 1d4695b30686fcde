#include "browser_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace testsupport {

bool installed(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

int runScript(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RunningBrowser::RunningBrowser(std::vector<std::string> args) {
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 1);
    dup2(devnull, 2);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  setpgid(pid_, pid_);
}

RunningBrowser::~RunningBrowser() {
  kill(-pid_, SIGTERM);
  for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  kill(-pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  // Give the browser's helper processes a moment to let go of the profile.
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

}  // namespace testsupport

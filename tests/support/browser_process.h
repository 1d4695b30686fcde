// Helpers for the tests that run the real browsers.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// Whether a program is on PATH.
bool installed(const char* program);

// Runs a shell command; its exit status, or -1 when it did not exit.
int runScript(const std::string& command);

// A browser started in a process group of its own for the lifetime of the
// object; the whole group is ended afterwards.
class RunningBrowser {
 public:
  explicit RunningBrowser(std::vector<std::string> args);
  ~RunningBrowser();
  RunningBrowser(const RunningBrowser&) = delete;
  RunningBrowser& operator=(const RunningBrowser&) = delete;

 private:
  pid_t pid_ = -1;
};

}  // namespace testsupport

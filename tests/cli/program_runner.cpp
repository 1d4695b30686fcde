#include "program_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "temp_dir.h"

namespace testsupport {

ProgramResult runProgram(const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
  ProgramResult result;
#ifdef TRACESWEEP_PROGRAM
  TempDir io;
  const std::string outPath = (io.path() / "out").string(), errPath = (io.path() / "err").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<std::string> text{TRACESWEEP_PROGRAM};
  text.insert(text.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (std::string& t : text) argv.push_back(t.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = env;
  environment.push_back("QT_QPA_PLATFORM=xcb");
  environment.push_back("PATH=/usr/bin:/bin");
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, TRACESWEEP_PROGRAM, &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = readFile(outPath);
  result.err = readFile(errPath);
#else
  (void)args;
  (void)env;
#endif
  return result;
}

}  // namespace testsupport

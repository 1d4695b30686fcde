// The real program from a terminal with no display: it answers, clears and
// sets its exit status without creating anything of the desktop view.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "browser_process.h"
#include "program_runner.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

#ifdef TRACESWEEP_PROGRAM
using Result = testsupport::ProgramResult;
using testsupport::runProgram;

TEST(Program, AnswersAndRefusesWithoutADisplay) {
  testsupport::TempDir home;
  const std::vector<std::string> env{"HOME=" + home.str()};
  Result help = runProgram({"--help"}, env);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: tracesweep"), std::string::npos);
  EXPECT_EQ(help.err, "");
  Result version = runProgram({"--version"}, env);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tracesweep 1.0\n");
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--bogus"}, {"--clear", "biscuits"}, {"--wipe"}}) {
    Result refused = runProgram(wrong, env);
    EXPECT_EQ(refused.status, 2) << wrong[0];
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("Try 'tracesweep --help'"), std::string::npos) << refused.err;
  }
  // Nothing was started: no preferences, no log, no lock.
  EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(Program, ClearsOverAnSshLikeSessionAndKeepsTheReport) {
  testsupport::TempDir dir;
  dir.write("home/.local/share/Trash/files/gone.txt", "trashed");
  dir.write("tmp/x/y.txt", "temporary");
  const std::vector<std::string> env{"HOME=" + dir.str() + "/home", "TMPDIR=" + dir.str() + "/tmp",
                                     "XDG_STATE_HOME=" + dir.str() + "/state"};
  Result run = runProgram({"--clear", "temp,trash", "--json"}, env);
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["ok"], true);
  EXPECT_EQ(report["areas"][0]["removed"], 1);
  EXPECT_EQ(report["areas"][1]["removed"], 1);
  EXPECT_FALSE(fs::exists(dir.path() / "tmp/x/y.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "home/.local/share/Trash/files/gone.txt"));
  EXPECT_NE(
      testsupport::readFile(dir.path() / "state/tracesweep/clear.log").find("command line run"),
      std::string::npos);
}

// A report that reaches nobody is something asked for and not done: to a
// full disk, to a closed output, or a log that cannot be written.
TEST(Program, AReportThatCannotBeWrittenMakesTheStatusOne) {
  testsupport::TempDir dir;
  dir.write("tmp/x.txt", "temporary");
  dir.write("not-a-folder", "");
  const std::string run = "env -i HOME='" + dir.str() + "' TMPDIR='" + dir.str() +
                          "/tmp' XDG_STATE_HOME='" + dir.str() + "/state' '" +
                          std::string(TRACESWEEP_PROGRAM) + "' --clear temp ";
  EXPECT_EQ(testsupport::runScript(run + "--dry-run --json >/dev/full 2>/dev/null"), 1);
  EXPECT_EQ(testsupport::runScript(run + "--dry-run >&- 2>/dev/null"), 1);
  EXPECT_TRUE(fs::exists(dir.path() / "tmp/x.txt"));
  EXPECT_EQ(testsupport::runScript(run + "--dry-run >/dev/null 2>&1"), 0);
  const std::string noLog = "env -i HOME='" + dir.str() + "' TMPDIR='" + dir.str() +
                            "/tmp' XDG_STATE_HOME='" + dir.str() + "/not-a-folder' '" +
                            std::string(TRACESWEEP_PROGRAM) + "' --clear temp >/dev/null 2>&1";
  EXPECT_EQ(testsupport::runScript(noLog), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "tmp/x.txt"));  // cleared all the same

  // What is printed says what the log got: never "ok" beside a log that
  // failed.
  dir.write("tmp/y.txt", "temporary");
  Result unlogged = runProgram({"--clear", "temp", "--json"},
                               {"HOME=" + dir.str(), "TMPDIR=" + dir.str() + "/tmp",
                                "XDG_STATE_HOME=" + dir.str() + "/not-a-folder"});
  EXPECT_EQ(unlogged.status, 1);
  const nlohmann::json report = nlohmann::json::parse(unlogged.out);
  EXPECT_EQ(report["ok"], false);
  EXPECT_EQ(report["log"]["written"], false);
  EXPECT_NE(report["log"]["reason"].get<std::string>().find("not-a-folder"), std::string::npos);

  // A reader that went away: the run is not killed half-way, it says so,
  // and its log entry is written.
  dir.write("tmp/z.txt", "temporary");
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, (dir.str() + "/err").c_str(), O_WRONLY | O_CREAT,
                                   0600);
  std::vector<std::string> text{TRACESWEEP_PROGRAM, "--clear", "temp", "--json"};
  std::vector<std::string> environment{"HOME=" + dir.str(), "TMPDIR=" + dir.str() + "/tmp",
                                       "XDG_STATE_HOME=" + dir.str() + "/state"};
  std::vector<char*> argv, envp;
  for (std::string& t : text) argv.push_back(t.data());
  argv.push_back(nullptr);
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, TRACESWEEP_PROGRAM, &actions, nullptr, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(testsupport::readFile(dir.path() / "err").find("the report could not be written"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "tmp/z.txt"));
  EXPECT_NE(
      testsupport::readFile(dir.path() / "state/tracesweep/clear.log").find("command line run"),
      std::string::npos);
}

// Every option --help names is in the manual page's source, and back.
TEST(Program, HelpAndManualNameTheSameOptions) {
  Result help = runProgram({"--help"}, {});
  const std::string page = testsupport::readFile(TRACESWEEP_MAN_SOURCE);
  const std::size_t from = page.find("# OPTIONS"), to = page.find("# EXIT STATUS");
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
  const std::string manual = page.substr(from, to - from);
  // Every "--name" of lower-case letters and hyphens in a text.
  auto options = [](const std::string& text) {
    std::set<std::string> found;
    auto isNameChar = [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; };
    for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
      if (at + 2 >= text.size() || text[at + 2] < 'a' || text[at + 2] > 'z') continue;
      std::size_t end = at + 2;
      while (end < text.size() && isNameChar(text[end])) ++end;
      if (end - at >= 4) found.insert(text.substr(at, end - at));
    }
    return found;
  };
  EXPECT_EQ(options(help.out), options(manual));
}
#endif

// The timer's units are valid for systemd, where systemd-analyze is there.
TEST(Units, PassSystemdAnalyzeVerify) {
  if (access("/usr/bin/systemd-analyze", X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  testsupport::TempDir dir;
  for (const char* unit : {"tracesweep-clear.service", "tracesweep-clear.timer"}) {
    std::string text = testsupport::readFile(fs::path(TRACESWEEP_UNITS) / unit);
    // The program is looked up where it is installed; here any program on
    // systemd's search path stands in for it.
    const std::string program = "ExecStart=tracesweep ";
    if (std::size_t at = text.find(program); at != std::string::npos)
      text.replace(at, program.size(), "ExecStart=true ");
    std::ofstream(dir.path() / unit) << text;
  }
  const std::string command = "systemd-analyze verify --man=no '" + dir.str() +
                              "/tracesweep-clear.service' '" + dir.str() +
                              "/tracesweep-clear.timer' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  EXPECT_EQ(pclose(pipe), 0) << output;
}

}  // namespace

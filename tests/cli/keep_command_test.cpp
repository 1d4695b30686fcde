// The keep list from the command line: copies of the real program run side
// by side lose no site; a hand-edited entry that is no site is kept and
// told; a save that fails is told and fails the command.
#include "cli/keep_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "program_runner.h"
#include "temp_dir.h"

namespace cli {
namespace {

// Settings whose every change fails, as on a full disk.
class UnsavableSettings : public platform::SettingsStore {
 public:
  std::string GetSetting(const std::string&, const std::string&, const std::string&,
                         const std::string& defaultValue) override {
    return defaultValue;
  }
  platform::SettingsSaved change(const std::function<void(platform::SettingsEditor&)>&) override {
    return {"the settings file could not be written: the disk is full"};
  }
};

TEST(KeepCommand, AFailedSaveIsToldAndFailsTheCommand) {
  UnsavableSettings settings;
  Options options;
  options.command = Command::Keep;
  options.sites = {"example.com"};
  std::ostringstream out, err;
  EXPECT_EQ(runKeep(options, settings, {}, out, err), 1);
  EXPECT_EQ(out.str(), "");  // nothing is said to be on the list
  EXPECT_EQ(err.str(),
            "tracesweep: the keep list could not be saved: the settings file could not be "
            "written: the disk is full\ntracesweep: the keep list was not changed\n");
}

#ifdef TRACESWEEP_PROGRAM
using testsupport::ProgramResult;
using testsupport::runProgram;

class KeepProgram : public ::testing::Test {
 protected:
  std::vector<std::string> env() const {
    return {"HOME=" + home.str(), "XDG_CONFIG_HOME=" + home.str() + "/.config"};
  }
  std::string hive() const { return home.str() + "/.config/tracesweep/registry.reg"; }
  testsupport::TempDir home;
};

// Pairs of copies started at the same moment, each adding its own site:
// every site each copy said it added is on the list.
TEST_F(KeepProgram, CopiesRunSideBySideLoseNoSite) {
  constexpr int kPairs = 25;
  std::string expected;
  for (int pair = 0; pair < kPairs; ++pair) {
    ProgramResult results[2];
    std::thread copies[2];
    for (int copy = 0; copy < 2; ++copy)
      copies[copy] = std::thread([&, pair, copy] {
        results[copy] = runProgram(
            {"--keep", "site" + std::to_string(pair) + "-" + std::to_string(copy) + ".test"},
            env());
      });
    for (int copy = 0; copy < 2; ++copy) {
      copies[copy].join();
      const std::string site = "site" + std::to_string(pair) + "-" + std::to_string(copy) + ".test";
      EXPECT_EQ(results[copy].status, 0) << results[copy].err;
      EXPECT_EQ(results[copy].out, site + " is now on the keep list\n");
    }
  }
  const ProgramResult kept = runProgram({"--kept"}, env());
  std::istringstream lines(kept.out);
  int count = 0;
  for (std::string line; std::getline(lines, line);) ++count;
  EXPECT_EQ(count, 2 * kPairs) << kept.out;
}

// "Bank.Example.com" is only upper case; "exa$mple.com" is no site. The
// first keeps its site; the second is kept as written and told, and keeps
// nothing, until it is taken off.
TEST_F(KeepProgram, AnEntryThatIsNoSiteIsKeptAndTold) {
  home.write(".config/tracesweep/registry.reg",
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_CURRENT_USER\\Software\\ Norrick Tracesweep\\Settings]\n"
             "\"keptsites\"=\"kept-site.localhost Bank.Example.com exa$mple.com\"\n");
  const ProgramResult kept = runProgram({"--kept"}, env());
  EXPECT_EQ(kept.status, 0);
  EXPECT_EQ(kept.out, "example.com\nkept-site.localhost\n");
  EXPECT_EQ(kept.err,
            "tracesweep: on the keep list, 'exa$mple.com' is not a site (write one such as "
            "example.com, localhost or 192.168.1.10); the entry keeps no cookies until it is "
            "corrected or taken off the list (tracesweep --unkeep 'exa$mple.com')\n");

  ASSERT_EQ(runProgram({"--keep", "other.site"}, env()).status, 0);
  EXPECT_NE(testsupport::readFile(hive()).find(
                "\"keptsites\"=\"example.com kept-site.localhost other.site exa$mple.com\""),
            std::string::npos)
      << testsupport::readFile(hive());

  const ProgramResult dryRun = runProgram({"--clear", "cookies", "--dry-run"}, env());
  EXPECT_NE(dryRun.out.find("exa$mple.com' is not a site"), std::string::npos) << dryRun.out;

  const ProgramResult unkept = runProgram({"--unkeep", "exa$mple.com"}, env());
  EXPECT_EQ(unkept.status, 0) << unkept.err;
  EXPECT_EQ(unkept.err, "");
  EXPECT_EQ(runProgram({"--kept"}, env()).err, "");
}
#endif

}  // namespace
}  // namespace cli

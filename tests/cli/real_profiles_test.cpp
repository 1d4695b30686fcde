// --clear on real firefox-esr and chromium profiles (made by the real
// browsers; skipped when they are not installed): the preview names what the
// run removes, and a running browser is named as the reason.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <thread>

#include "browser_process.h"
#include "browsers/profiles/browser_profiles.h"
#include "cookie_databases.h"
#include "program_runner.h"
#include "temp_dir.h"

#ifdef TRACESWEEP_PROGRAM

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kMakeProfiles = TRACESWEEP_MAKE_PROFILES;

class RealProfiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!testsupport::installed("firefox-esr") || !testsupport::installed("chromium")) return;
    made_ = std::make_unique<testsupport::TempDir>();
    status_ = testsupport::runScript("bash '" + kMakeProfiles.string() + "' '" + made_->str() +
                                     "/home' >'" + made_->str() + "/make.log' 2>&1");
  }
  static void TearDownTestSuite() { made_.reset(); }

  void SetUp() override {
    if (!made_ || status_ == 77) GTEST_SKIP() << "firefox-esr and chromium are not installed";
    ASSERT_EQ(status_, 0) << testsupport::readFile(made_->str() + "/make.log");
    // Each test clears a copy of its own.
    ASSERT_EQ(testsupport::runScript("cp -a '" + made_->str() + "/home' '" + home() + "'"), 0);
  }

  std::string home() const { return dir.str() + "/home"; }
  std::vector<std::string> env() const {
    return {"HOME=" + home(),
            "XDG_CONFIG_HOME=" + home() + "/.config",
            "XDG_CACHE_HOME=" + home() + "/.cache",
            "XDG_DATA_HOME=" + home() + "/.local/share",
            "XDG_STATE_HOME=" + home() + "/.local/state",
            "TMPDIR=" + dir.str()};
  }

  testsupport::TempDir dir;
  static inline std::unique_ptr<testsupport::TempDir> made_;
  static inline int status_ = -1;
};

std::set<std::string> itemsOf(const json& area) {
  return {area["items"].begin(), area["items"].end()};
}

TEST_F(RealProfiles, PreviewNamesWhatTheRunRemovesAndThenNothingIsLeftToName) {
  const std::vector<std::string> args{"--clear", "cookies,cache,history", "--json"};
  std::vector<std::string> preview = args;
  preview.push_back("--dry-run");
  testsupport::ProgramResult before = testsupport::runProgram(preview, env());
  ASSERT_EQ(before.status, 0) << before.err;
  testsupport::ProgramResult run = testsupport::runProgram(args, env());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  testsupport::ProgramResult after = testsupport::runProgram(preview, env());
  const json would = json::parse(before.out), did = json::parse(run.out),
             left = json::parse(after.out);
  ASSERT_EQ(would["areas"].size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(did["areas"][i]["area"].get<std::string>());
    EXPECT_GT(would["areas"][i]["removed"], 0);
    EXPECT_EQ(itemsOf(would["areas"][i]), itemsOf(did["areas"][i]));
    EXPECT_EQ(would["areas"][i]["removed"], did["areas"][i]["removed"]);
    EXPECT_EQ(left["areas"][i]["removed"], 0) << left["areas"][i]["items"];
  }
}

TEST_F(RealProfiles, ARunningBrowserIsNamedAndTheRestIsStillCleared) {
  testsupport::EnvGuard homeEnv("HOME", home());
  testsupport::EnvGuard configEnv("XDG_CONFIG_HOME", home() + "/.config");
  std::optional<browsers::BrowserProfile> firefox;
  for (const auto& profile : browsers::findBrowserProfiles())
    if (profile.family == browsers::BrowserFamily::Firefox) firefox = profile;
  ASSERT_TRUE(firefox);
  testsupport::RunningBrowser browser(
      {"firefox-esr", "--headless", "-P", "tracesweep", "about:blank"});
  for (int i = 0; i < 300 && !browsers::browserRunning(*firefox); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(browsers::browserRunning(*firefox));

  testsupport::ProgramResult run = testsupport::runProgram({"--clear", "cookies,history"}, env());
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("not cleared: firefox.tracesweep@alpha.test: Firefox (profile "
                         "tracesweep) is running"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("not cleared: Firefox (profile tracesweep): Please close Firefox (profile "
                         "tracesweep)"),
            std::string::npos)
      << run.out;
  // Chromium was not running: its cookies went.
  EXPECT_EQ(run.out.find("not cleared: chromium"), std::string::npos) << run.out;
}

// The sites a person keeps, two taken from the browsers' own exceptions
// (Firefox: allow alpha.test; Chromium: allow [*.]gamma.test) and one typed:
// their cookies stay in both browsers through the run, the preview says so
// with the reason, and every other site's cookies go.
TEST_F(RealProfiles, KeptSitesCookiesStayInBothBrowsersAndThePreviewSaysWhy) {
  {
    testsupport::EnvGuard homeEnv("HOME", home());
    testsupport::EnvGuard configEnv("XDG_CONFIG_HOME", home() + "/.config");
    for (const auto& profile : browsers::findBrowserProfiles()) {
      if (profile.family == browsers::BrowserFamily::Firefox) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((profile.profileDir + "/permissions.sqlite").c_str(), &db),
                  SQLITE_OK);
        browsertest::execOn(db,
                            "INSERT INTO moz_perms (origin, type, permission, expireType, "
                            "expireTime, modificationTime) VALUES "
                            "('https://www.alpha.test^userContextId=1', 'cookie', 1, 0, 0, 0), "
                            "('http://my_site.test', 'cookie', 2, 0, 0, 0)");
        sqlite3_close(db);
      } else {
        const std::string path = profile.profileDir + "/Preferences";
        json preferences = json::parse(testsupport::readFile(path));
        preferences["profile"]["content_settings"]["exceptions"]["cookies"] = {
            {"[*.]gamma.test,*", {{"setting", 1}}},
            {"https://my_site.test:443,*", {{"setting", 2}}}};
        std::ofstream(path) << preferences.dump();
      }
    }
  }
  testsupport::ProgramResult imported = testsupport::runProgram({"--keep-from-browsers"}, env());
  ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
  ASSERT_EQ(testsupport::runProgram({"--keep", "http://www.beta.test/"}, env()).status, 0);
  EXPECT_EQ(testsupport::runProgram({"--kept"}, env()).out, "alpha.test\nbeta.test\ngamma.test\n");

  // "family@site" of each kept entry; each with the reason.
  auto keptOf = [](const json& cookies) {
    std::set<std::string> kept;
    for (const json& entry : cookies["kept"]) {
      const std::string item = entry["item"];
      const std::string site = item.substr(item.find('@') + 1);
      EXPECT_EQ(entry["reason"], site + " is on the keep list");
      kept.insert(item.substr(0, item.find('.')) + "@" + site);
    }
    return kept;
  };
  const std::set<std::string> kept{"chromium@alpha.test", "chromium@beta.test",
                                   "chromium@gamma.test", "firefox@alpha.test",
                                   "firefox@beta.test",   "firefox@gamma.test"};
  const std::vector<std::string> args{"--clear", "cookies", "--json"};
  std::vector<std::string> preview = args;
  preview.push_back("--dry-run");
  testsupport::ProgramResult before = testsupport::runProgram(preview, env());
  ASSERT_EQ(before.status, 0) << before.err;
  const json would = json::parse(before.out)["areas"][0];
  EXPECT_EQ(keptOf(would), kept);
  EXPECT_EQ(would["removed"], 2);
  for (const json& item : would["items"])
    EXPECT_TRUE(item.get<std::string>().ends_with("@my_site.test")) << item;

  testsupport::ProgramResult run = testsupport::runProgram(args, env());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(keptOf(json::parse(run.out)["areas"][0]), kept);
  // What is left is the kept sites alone, still in both browsers.
  const json left = json::parse(testsupport::runProgram(preview, env()).out)["areas"][0];
  EXPECT_EQ(left["removed"], 0) << left["items"];
  EXPECT_EQ(keptOf(left), kept);
  testsupport::ProgramResult words = testsupport::runProgram({"--clear", "cookies"}, env());
  EXPECT_NE(words.out.find("kept: beta.test is on the keep list (2 items)"), std::string::npos)
      << words.out;
}

}  // namespace

#endif

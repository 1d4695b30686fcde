// The automatic run (through the main window's lists) and the command line
// (a run that plans itself) clear the same stores into the same report.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/modmain.h"
#include "browsers/stores/browser_stores.h"
#include "cookie_databases.h"
#include "core/clearing.h"
#include "fake_home.h"
#include "forms/fake/fake_platform.h"

namespace {

// Two profiles with cookies, Firefox running (its lock held by another process).
struct BrowsersAtHome {
  BrowsersAtHome() {
    home.write(".mozilla/firefox/profiles.ini",
               "[Profile0]\nName=default-esr\nIsRelative=1\nPath=p.default-esr\n");
    std::filesystem::create_directories(home.path(".mozilla/firefox/p.default-esr"));
    browsertest::makeFirefoxCookies(home.path(".mozilla/firefox/p.default-esr/cookies.sqlite"), 17,
                                    {{".example.com", "a"}, {"a.co.uk", "c"}});
    home.write(".config/chromium/Default/Preferences", "{}");
    browsertest::makeChromiumCookies(home.path(".config/chromium/Default/Cookies"),
                                     {{".news.test", "n"}, {"mail.news.test", "m"}});
    firefox = std::make_unique<browsertest::LockHolder>(
        home.path(".mozilla/firefox/p.default-esr/.parentlock"));
  }
  browsertest::FakeHome home;
  std::unique_ptr<browsertest::LockHolder> firefox;
  forms::fake::FakePlatform fakes;
  forms::Platform platform{fakes.platform()};
  browsers::BrowserStores browsers{platform.files};
};

TEST(SameReport, TheAutomaticRunAndTheCommandLineReportTheSameForTheSameStores) {
  const std::vector<core::Area> areas{core::Area::Cache, core::Area::Cookies, core::Area::History};
  core::RunReport automatic, commandLine;
  {
    BrowsersAtHome at;
    app::Modmain app{at.platform, at.browsers.stores()};
    app.Main();  // the start-up sequence fills the main window's lists
    forms::Label progress{"lblAction"};
    automatic = app.clearAreas(areas, false, progress);
  }
  {
    BrowsersAtHome at;
    core::AreaSources sources(at.platform, at.browsers.stores());
    commandLine = core::Clearing(at.platform, sources).run(areas, false, {});
  }
  ASSERT_EQ(automatic.areas.size(), 3u);
  ASSERT_EQ(commandLine.areas.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const platform::ClearOutcome& a = automatic.areas[i].outcome;
    const platform::ClearOutcome& c = commandLine.areas[i].outcome;
    SCOPED_TRACE(core::areaName(automatic.areas[i].area));
    EXPECT_EQ(automatic.areas[i].area, commandLine.areas[i].area);
    EXPECT_EQ(a.removed, c.removed);
    EXPECT_EQ(a.items, c.items);
    ASSERT_EQ(a.failures.size(), c.failures.size());
    for (std::size_t f = 0; f < a.failures.size(); ++f) {
      EXPECT_EQ(a.failures[f].item, c.failures[f].item);
      EXPECT_EQ(a.failures[f].reason, c.failures[f].reason);
    }
  }
  // Chromium's site went, Firefox's two stayed with their browser named.
  EXPECT_EQ(commandLine.areas[1].outcome.removed, 1);
  ASSERT_EQ(commandLine.areas[1].outcome.failures.size(), 2u);
  EXPECT_EQ(commandLine.areas[1].outcome.failures[0].reason,
            "Firefox (profile default-esr) is running");
}

}  // namespace

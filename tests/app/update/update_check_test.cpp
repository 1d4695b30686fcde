#include "app/update_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "forms/fake/fake_platform.h"
#include "http_test_server.h"
#include "identity.h"
#include "platform/linux/net/curl_downloader.h"
#include "temp_dir.h"

namespace update {
namespace {

using namespace std::chrono_literals;
using testsupport::HttpReply;
using testsupport::readFile;

constexpr const char* kVersionPath = "/products/ts/version.txt";
// A maker's address as a build that names one has it; requests go to the test's server.
constexpr const char* kMaker = "https://updates.tracesweep.test";

// The real downloader, with the maker's address sent to the test's server. It
// also notes the window's pointer while each download runs.
class ToTestServer : public platform::Downloader {
 public:
  ToTestServer(std::string base, forms::Form& window) : base_(std::move(base)), window_(window) {}
  int download(const std::string& url, const std::string& file) override {
    urls.push_back(url);
    files.push_back(file);
    pointers.push_back(window_.MousePointer());
    std::string maker = kMaker;
    return real_.download(url.starts_with(maker) ? base_ + url.substr(maker.size()) : url, file);
  }
  std::string base_;
  std::vector<std::string> urls, files;
  std::vector<int> pointers;

 private:
  forms::Form& window_;
  static platform::linux_os::DownloadLimits shortLimits() {
    platform::linux_os::DownloadLimits limits;
    limits.connectTimeout = 1000ms;
    limits.totalTimeout = 500ms;
    return limits;
  }
  platform::linux_os::CurlDownloader real_{shortLimits()};
};

class CheckForUpdatesTest : public ::testing::Test {
 protected:
  CheckForUpdatesTest() {
    std::filesystem::create_directories(programFolder);
    std::filesystem::create_directories(dataFolder);
    fake.process.folder = programFolder.string();
    fake.process.dataFolder = dataFolder.string();
  }

  void publish(const std::string& text) { server.serve(kVersionPath, HttpReply::text(text)); }

  // Runs the check and returns the boxes it showed.
  std::vector<forms::fake::ShownBox> check() {
    fake.msgbox.shown.clear();
    UpdateCheck updates(
        platform, window, [this](const std::string& url) { opened.push_back(url); }, kMaker);
    updates.start();
    EXPECT_FALSE(updates.running());  // this downloader answers at once
    return fake.msgbox.shown;
  }

  void expectOnlyBox(const std::string& text, int style) {
    auto boxes = check();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].style, style);
    EXPECT_EQ(boxes[0].caption, identity::kAppTitle);
  }

  std::string localCopy() const { return readFile(programFolder / "upd.txt"); }

  testsupport::TempDir dir;
  std::filesystem::path programFolder = dir.path() / "program";
  std::filesystem::path dataFolder = dir.path() / "data";
  testsupport::HttpTestServer server;
  forms::Form window{"frmmain"};
  ToTestServer downloader{server.url(""), window};
  forms::fake::FakePlatform fake;
  forms::Platform platform{forms::withView(
      platform::System{fake.files, fake.registry, fake.settings, fake.urlCache, fake.history,
                       fake.trash, fake.shell, downloader, fake.process},
      fake.msgbox, fake.dialogs, fake.windows, fake.tray)};
  std::vector<std::string> opened;
};

TEST_F(CheckForUpdatesTest, PublishedVersionNotNewerIsUpToDate) {
  for (const char* text : {"1.0", "0.9", "1.00\r\n", "\"1.0\", 2003-05-01", "  0.95,x\n"}) {
    SCOPED_TRACE(text);
    publish(text);
    expectOnlyBox(kUpToDate, forms::vbOKOnly | forms::vbInformation);
    EXPECT_EQ(localCopy(), text);
  }
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(downloader.urls.front(), identity::versionFileUrl(kMaker));
  EXPECT_EQ(downloader.files.front(), (programFolder / "upd.txt").string());
}

TEST_F(CheckForUpdatesTest, NewerVersionOffersTheDownloadPage) {
  for (const char* text : {"1.1", "1.1, 2003-05-01\r\n", "1.10", "1.9"}) {
    SCOPED_TRACE(text);
    publish(text);
    fake.msgbox.answers = {forms::vbNo};
    expectOnlyBox(kNewerAvailable, forms::vbYesNo | forms::vbInformation);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(localCopy(), text);

    fake.msgbox.answers = {forms::vbYes};
    expectOnlyBox(kNewerAvailable, forms::vbYesNo | forms::vbInformation);
    EXPECT_EQ(opened, std::vector<std::string>{identity::downloadPageUrl(kMaker)});
    opened.clear();
  }
}

TEST_F(CheckForUpdatesTest, NoUsableVersionFileSaysSoAndKeepsTheOldCopy) {
  std::filesystem::path copy = programFolder / "upd.txt";
  std::ofstream(copy) << "1.0";
  expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);  // 404: nothing published
  server.serve(kVersionPath, HttpReply::silence());
  expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);  // a server that never answers
  publish(std::string(100 * 1024, '1'));
  expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);  // far too large for a version file
  EXPECT_EQ(readFile(copy), "1.0");
  downloader.base_ = "http://127.0.0.1:" + std::to_string(testsupport::unusedPort());
  expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);  // nobody listening
  EXPECT_EQ(readFile(copy), "1.0");
  EXPECT_TRUE(opened.empty());
}

TEST_F(CheckForUpdatesTest, DownloadedTextThatIsNoVersionSaysNotFound) {
  for (const char* text : {"<html><body>Welcome</body></html>", "", "\n1.1", "one point one"}) {
    SCOPED_TRACE(text);
    publish(text);
    expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);
    EXPECT_EQ(localCopy(), text);
  }
  EXPECT_TRUE(opened.empty());
}

TEST_F(CheckForUpdatesTest, UnwritableProgramFolderUsesTheUserDataFolder) {
  std::filesystem::remove(programFolder);  // nothing can be created in it
  publish("1.1");
  fake.msgbox.answers = {forms::vbNo};
  expectOnlyBox(kNewerAvailable, forms::vbYesNo | forms::vbInformation);
  EXPECT_EQ(readFile(dataFolder / "upd.txt"), "1.1");
  EXPECT_EQ(downloader.files, (std::vector<std::string>{(programFolder / "upd.txt").string(),
                                                        (dataFolder / "upd.txt").string()}));
  EXPECT_EQ(server.requestedPaths().size(), 1u);  // the first attempt fetched nothing

  std::filesystem::remove_all(dataFolder);
  expectOnlyBox(kUpdateFileNotFound, forms::vbOKOnly);
}

TEST_F(CheckForUpdatesTest, UnknownProgramFolderUsesTheUserDataFolder) {
  fake.process.folder = "";  // never "/upd.txt" in the root folder
  fake.process.dataFolder = dataFolder.string() + "/";
  publish("0.9");
  expectOnlyBox(kUpToDate, forms::vbOKOnly | forms::vbInformation);
  EXPECT_EQ(downloader.files, std::vector<std::string>{(dataFolder / "upd.txt").string()});
}

TEST_F(CheckForUpdatesTest, ReadOnlyProgramFolderUsesTheUserDataFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  std::filesystem::permissions(
      programFolder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  publish("1.0");
  expectOnlyBox(kUpToDate, forms::vbOKOnly | forms::vbInformation);
  EXPECT_EQ(readFile(dataFolder / "upd.txt"), "1.0");
  EXPECT_FALSE(std::filesystem::exists(programFolder / "upd.txt"));
}

TEST_F(CheckForUpdatesTest, HourglassWhileDownloadingOnly) {
  publish("1.0");
  check();
  server.serve(kVersionPath, HttpReply::text("gone", 404));
  check();
  EXPECT_EQ(downloader.pointers, (std::vector<int>{forms::vbHourglass, forms::vbHourglass}));
  EXPECT_EQ(window.MousePointer(), forms::vbDefault);
}

// The real program's downloader answers from another thread, later: one check
// runs at a time, the window keeps its hourglass meanwhile, and an answer for
// a window that has gone is dropped.
TEST(UpdateCheckInBackground, OneCheckAtATimeAnsweredWhenTheDownloadEnds) {
  testsupport::TempDir dir;
  forms::fake::FakePlatform fake;
  forms::Platform platform = fake.platform();
  fake.process.folder = dir.path().string();
  fake.downloader.hold = true;
  fake.downloader.content = "1.1";
  forms::Form window{"frmmain"};
  std::vector<std::string> opened;
  auto open = [&opened](const std::string& url) { opened.push_back(url); };

  UpdateCheck updates(platform, window, open, kMaker);
  updates.start();
  EXPECT_TRUE(updates.running());
  EXPECT_EQ(window.MousePointer(), forms::vbHourglass);
  EXPECT_TRUE(fake.msgbox.shown.empty());
  updates.start();  // a second click while the first check runs
  EXPECT_EQ(fake.downloader.held.size(), 1u);

  fake.msgbox.answers = {forms::vbYes};
  fake.downloader.finishHeld();
  EXPECT_FALSE(updates.running());
  EXPECT_EQ(window.MousePointer(), forms::vbDefault);
  ASSERT_EQ(fake.msgbox.shown.size(), 1u);
  EXPECT_EQ(fake.msgbox.shown[0].text, kNewerAvailable);
  EXPECT_EQ(opened, std::vector<std::string>{identity::downloadPageUrl(kMaker)});
  EXPECT_EQ(fake.downloader.urls, std::vector<std::string>{identity::versionFileUrl(kMaker)});

  {
    UpdateCheck gone(platform, window, open, kMaker);
    gone.start();
  }
  fake.downloader.finishHeld();
  EXPECT_EQ(fake.msgbox.shown.size(), 1u);
}

// Without a maker's server named at build time nothing is fetched: the check
// says why instead of reporting a download that could never work.
TEST(UpdateCheckInBackground, PlaceholderServerIsNotConfigured) {
  forms::fake::FakePlatform fake;
  forms::Platform platform = fake.platform();
  forms::Form window{"frmmain"};
  UpdateCheck updates(
      platform, window, [](const std::string&) {}, std::string(identity::kPlaceholderMakerUrl));
  updates.start();
  EXPECT_FALSE(updates.running());
  EXPECT_TRUE(fake.downloader.urls.empty());
  ASSERT_EQ(fake.msgbox.shown.size(), 1u);
  EXPECT_EQ(fake.msgbox.shown[0].text, kServerNotConfigured);
  EXPECT_EQ(window.MousePointer(), forms::vbDefault);
}

}  // namespace
}  // namespace update

#include "platform/linux/net/curl_downloader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "http_test_server.h"
#include "platform/linux/net/redirect_policy.h"
#include "temp_dir.h"

namespace platform::linux_os {
namespace {

using namespace std::chrono_literals;
using testsupport::HttpReply;
using testsupport::readFile;

class CurlDownloaderTest : public ::testing::Test {
 protected:
  // Short limits, so the time-limit cases do not wait half a minute.
  static DownloadLimits shortLimits() {
    DownloadLimits limits;
    limits.connectTimeout = 1000ms;
    limits.totalTimeout = 500ms;
    limits.maxBytes = 1024;
    return limits;
  }
  DownloadLimits limits = shortLimits();
  testsupport::HttpTestServer server;
  testsupport::TempDir dir;
  std::string target = (dir.path() / "upd.txt").string();

  int download(const std::string& path) {
    return CurlDownloader(limits).download(server.url(path), target);
  }
  // Nothing but the listed files: no temporary file was left behind.
  std::size_t filesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()),
                                                  std::filesystem::directory_iterator()));
  }
};

TEST_F(CurlDownloaderTest, WritesTheAnswerAndReplacesTheOldFile) {
  dir.write("upd.txt", "an older and longer copy of the version file");
  server.serve("/v.txt", HttpReply::text("1.1, 2003-05-01\r\n"));
  EXPECT_EQ(download("/v.txt"), 0);
  EXPECT_EQ(readFile(target), "1.1, 2003-05-01\r\n");
  EXPECT_EQ(filesInDir(), 1u);

  server.serve("/empty.txt", HttpReply::text(""));
  EXPECT_EQ(download("/empty.txt"), 0);
  EXPECT_EQ(readFile(target), "");
}

TEST_F(CurlDownloaderTest, ReplacesALinkAtTheDestinationInsteadOfWritingThroughIt) {
  auto elsewhere = dir.write("elsewhere.txt", "not to be touched");
  std::filesystem::create_symlink(elsewhere, target);
  server.serve("/v.txt", HttpReply::text("1.1"));
  EXPECT_EQ(download("/v.txt"), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(target));
  EXPECT_EQ(readFile(target), "1.1");
  EXPECT_EQ(readFile(elsewhere), "not to be touched");
}

TEST_F(CurlDownloaderTest, AFailedDownloadLeavesTheOldCopyAndNoTemporaryFile) {
  dir.write("upd.txt", "1.0");
  server.serve("/error.txt", HttpReply::text("9.9", 500));
  EXPECT_EQ(download("/missing.txt"), kDownloadHttpError);
  EXPECT_EQ(download("/error.txt"), kDownloadHttpError);
  EXPECT_EQ(readFile(target), "1.0");
  EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(CurlDownloaderTest, StopsAtTheSizeLimitWithOrWithoutAnnouncedLength) {
  std::string big(5000, '9');
  server.serve("/announced", HttpReply::text(big));
  server.serve("/streamed", HttpReply::unannounced(big));
  server.serve("/exact", HttpReply::text(std::string(1024, '1')));
  EXPECT_EQ(download("/announced"), kDownloadTooLarge);
  EXPECT_EQ(download("/streamed"), kDownloadTooLarge);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(filesInDir(), 0u);
  EXPECT_EQ(download("/exact"), 0);
  EXPECT_EQ(readFile(target).size(), 1024u);
}

TEST_F(CurlDownloaderTest, ASilentServerRunsIntoTheTimeLimit) {
  server.serve("/silent", HttpReply::silence());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(download("/silent"), kDownloadTimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(CurlDownloaderTest, NobodyListening) {
  auto url = "http://127.0.0.1:" + std::to_string(testsupport::unusedPort()) + "/v.txt";
  EXPECT_EQ(CurlDownloader(limits).download(url, target), kDownloadTransferFailed);
  EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(CurlDownloaderTest, FollowsRedirectsOnTheSameHostOnly) {
  server.serve("/v.txt", HttpReply::text("1.1"));
  server.serve("/moved", HttpReply::redirect("/v.txt"));
  server.serve("/away", HttpReply::redirect(server.url("/v.txt", "localhost"), 301));
  EXPECT_EQ(download("/moved"), 0);
  EXPECT_EQ(readFile(target), "1.1");
  EXPECT_EQ(server.requestedPaths(), (std::vector<std::string>{"/moved", "/v.txt"}));

  std::filesystem::remove(target);
  EXPECT_EQ(download("/away"), kDownloadRedirectRefused);
  EXPECT_EQ(server.requestedPaths().size(), 3u);  // localhost was never asked
  EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(CurlDownloaderTest, GivesUpAfterFiveRedirects) {
  for (int i = 0; i < 7; ++i) {
    server.serve("/r" + std::to_string(i), HttpReply::redirect("/r" + std::to_string(i + 1)));
  }
  server.serve("/r5", HttpReply::text("1.1"));
  EXPECT_EQ(download("/r0"), 0);  // five redirects
  server.serve("/r5", HttpReply::redirect("/r6"));
  server.serve("/r6", HttpReply::text("1.1"));
  std::filesystem::remove(target);
  EXPECT_EQ(download("/r0"), kDownloadRedirectRefused);  // six
  EXPECT_EQ(filesInDir(), 0u);
}

TEST_F(CurlDownloaderTest, AnUnwritableFolderIsReportedBeforeAnythingIsFetched) {
  server.serve("/v.txt", HttpReply::text("1.1"));
  std::string inMissingFolder = (dir.path() / "no-such-folder" / "upd.txt").string();
  EXPECT_EQ(CurlDownloader(limits).download(server.url("/v.txt"), inMissingFolder),
            kDownloadFolderNotWritable);
  EXPECT_TRUE(server.requestedPaths().empty());
}

TEST_F(CurlDownloaderTest, OnlyHttpAndHttpsAreFetched) {
  auto local = dir.write("secret.txt", "1.1");
  EXPECT_NE(CurlDownloader(limits).download("file://" + local.string(), target), 0);
  EXPECT_FALSE(std::filesystem::exists(target));
}

// The program ending while a check waits on a silent server must not wait
// out the time limit: the downloader cancels its workers and reports so.
TEST_F(CurlDownloaderTest, ABackgroundDownloadAnswersElsewhereAndEndsWithTheDownloader) {
  server.serve("/v.txt", HttpReply::text("1.1"));
  server.serve("/silent", HttpReply::silence());
  limits.totalTimeout = 30s;
  std::atomic<int> done{0}, status{-100};
  std::chrono::steady_clock::time_point leaving;
  {
    CurlDownloader downloader(limits);
    std::thread::id caller = std::this_thread::get_id(), worker;
    std::atomic<bool> first{false};
    downloader.downloadInBackground(server.url("/v.txt"), target, [&](int s) {
      worker = std::this_thread::get_id();
      EXPECT_EQ(s, 0);
      first = true;
    });
    for (int i = 0; i < 500 && !first; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(first);
    EXPECT_NE(worker, caller);
    EXPECT_EQ(readFile(target), "1.1");

    downloader.downloadInBackground(server.url("/silent"), (dir.path() / "b.txt").string(),
                                    [&](int s) {
                                      status = s;
                                      ++done;
                                    });
    for (int i = 0; i < 500 && server.requestedPaths().size() < 2; ++i)
      std::this_thread::sleep_for(10ms);
    leaving = std::chrono::steady_clock::now();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - leaving, 5s);  // not the 30 s limit
  EXPECT_EQ(done, 1);
  EXPECT_EQ(status, kDownloadCancelled);
}

TEST(RedirectPolicyTest, SameHostAnyPortNoDowngrade) {
  EXPECT_TRUE(redirectAllowed("http://a.example/x", "http://A.EXAMPLE:8080/y"));
  EXPECT_TRUE(redirectAllowed("http://a.example/x", "https://a.example/y"));
  EXPECT_FALSE(redirectAllowed("https://a.example/x", "http://a.example/y"));
  EXPECT_FALSE(redirectAllowed("http://127.0.0.1/x", "http://localhost/x"));
  EXPECT_FALSE(redirectAllowed("http://a.example/x", "http://a.example.evil.example/x"));
  EXPECT_FALSE(redirectAllowed("http://a.example/x", "ftp://a.example/x"));
  EXPECT_FALSE(redirectAllowed("http://a.example/x", "not a url"));
}

}  // namespace
}  // namespace platform::linux_os

// A browser that runs keeps its cache: its entries are listed, never deleted.
// The browsers' own locks are faked: an fcntl write lock on Firefox's
// .parentlock held by another process, Chromium's SingletonLock link naming
// this host and a live process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "browsers/cache/profile_cache_source.h"
#include "cache_files.h"
#include "platform/linux/files/linux_file_layer.h"
#include "temp_dir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

// A child process that holds a write lock on the file until it is ended.
// (A lock of this process would not show in F_GETLK asked by this process.)
class LockHolder {
 public:
  explicit LockHolder(const fs::path& file) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      const int fd = open(file.c_str(), O_RDWR | O_CREAT, 0600);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      const char ok = (fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0) ? 1 : 0;
      if (write(ready[1], &ok, 1) != 1) _exit(1);
      pause();
      _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    locked_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
    close(ready[0]);
  }
  ~LockHolder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  bool locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  bool locked_ = false;
};

std::string ourHostName() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  return host;
}

// Deletes the URL's entries: whether they went; reason, why they stayed.
bool deleteUrl(browsers::ProfileCacheSource& cache, const std::string& url, std::string& reason) {
  core::CachePlan plan;
  plan.entries.push_back({url, "", 0});
  const ClearOutcome outcome =
      core::CacheArea({&cache}).apply(plan, {0}, core::CacheOptions{true, false}, false);
  reason = outcome.failures.empty() ? std::string() : outcome.failures[0].reason;
  return outcome.removed == 1;
}

}  // namespace

TEST(RunningBrowser, FirefoxWithItsParentLockHeldKeepsItsEntries) {
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles(tmp.path());
  const auto entry = profiles.addFirefox(":http://open.example/");
  // The lock file outlives the browser: present but unlocked is not running.
  cachefiles::writeFile(fs::path(profiles.firefox.profileDir) / ".parentlock", "");
  fs::create_symlink("127.0.0.1:+4242", fs::path(profiles.firefox.profileDir) / "lock");
  linux_os::LinuxFileLayer files;
  browsers::ProfileCacheSource cache(files, {profiles.firefox});
  std::string reason;
  {
    LockHolder holder(fs::path(profiles.firefox.profileDir) / ".parentlock");
    ASSERT_TRUE(holder.locked());
    EXPECT_FALSE(deleteUrl(cache, "http://open.example/", reason));
    EXPECT_EQ(reason, browsers::displayName(profiles.firefox) + " is running");
    EXPECT_TRUE(fs::exists(entry));
  }
  EXPECT_TRUE(deleteUrl(cache, "http://open.example/", reason));
  EXPECT_FALSE(fs::exists(entry));
}

TEST(RunningBrowser, ChromiumWithALiveSingletonLockKeepsItsEntries) {
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles(tmp.path());
  const std::string h = profiles.addChromium("http://open.example/", true);
  const fs::path lock = fs::path(profiles.chromium.userDataDir) / "SingletonLock";
  linux_os::LinuxFileLayer files;
  browsers::ProfileCacheSource cache(files, {profiles.chromium});
  std::string reason;

  fs::create_symlink(ourHostName() + "-" + std::to_string(getpid()), lock);
  EXPECT_FALSE(deleteUrl(cache, "http://open.example/", reason));
  EXPECT_EQ(reason, browsers::displayName(profiles.chromium) + " is running");
  EXPECT_TRUE(fs::exists(profiles.cacheData() / (h + "_1")));

  // A lock left behind by a browser on another host, or by a dead process.
  fs::remove(lock);
  fs::create_symlink("some-other-host-" + std::to_string(getpid()), lock);
  EXPECT_TRUE(deleteUrl(cache, "http://open.example/", reason));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));
}

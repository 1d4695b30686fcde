// A browser that runs keeps its cache: its entries are listed, never deleted.
// The browsers' own locks are faked: an fcntl write lock on Firefox's
// .parentlock held by another process, Chromium's SingletonLock link naming
// this host and a live process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cache_files.h"
#include "platform/linux/cache/linux_url_cache.h"
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

bool deleteAndCount(linux_os::LinuxUrlCache& cache, const std::string& url, std::uint32_t& error) {
  const bool ok = cache.DeleteUrlCacheEntry(url);
  error = cache.GetLastError();
  return ok;
}

}  // namespace

TEST(RunningBrowser, FirefoxWithItsParentLockHeldKeepsItsEntries) {
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles(tmp.path());
  const auto entry = profiles.addFirefox(":http://open.example/");
  // The lock file outlives the browser: present but unlocked is not running.
  cachefiles::writeFile(fs::path(profiles.firefox.profileDir) / ".parentlock", "");
  fs::create_symlink("127.0.0.1:+4242", fs::path(profiles.firefox.profileDir) / "lock");
  linux_os::LinuxUrlCache cache(std::vector<browsers::BrowserProfile>{profiles.firefox});
  std::uint32_t error = 0;
  {
    LockHolder holder(fs::path(profiles.firefox.profileDir) / ".parentlock");
    ASSERT_TRUE(holder.locked());
    EXPECT_FALSE(deleteAndCount(cache, "http://open.example/", error));
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(fs::exists(entry));
  }
  EXPECT_TRUE(deleteAndCount(cache, "http://open.example/", error));
  EXPECT_FALSE(fs::exists(entry));
}

TEST(RunningBrowser, ChromiumWithALiveSingletonLockKeepsItsEntries) {
  testsupport::TempDir tmp;
  cachefiles::TwoProfiles profiles(tmp.path());
  const std::string h = profiles.addChromium("http://open.example/", true);
  const fs::path lock = fs::path(profiles.chromium.userDataDir) / "SingletonLock";
  linux_os::LinuxUrlCache cache(std::vector<browsers::BrowserProfile>{profiles.chromium});
  std::uint32_t error = 0;

  fs::create_symlink(ourHostName() + "-" + std::to_string(getpid()), lock);
  EXPECT_FALSE(deleteAndCount(cache, "http://open.example/", error));
  EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(fs::exists(profiles.cacheData() / (h + "_1")));

  // A lock left behind by a browser on another host, or by a dead process.
  fs::remove(lock);
  fs::create_symlink("some-other-host-" + std::to_string(getpid()), lock);
  EXPECT_TRUE(deleteAndCount(cache, "http://open.example/", error));
  EXPECT_FALSE(fs::exists(profiles.cacheData() / (h + "_0")));
}

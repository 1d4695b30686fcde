// The system-neutral file toolbox on Windows: links never followed, a
// replacement that keeps the old content when it cannot finish, the lock
// test the browsers' lock files rely on, and private folders that go with
// their files. And the Public Suffix List the Windows program embeds, by
// which cookies are grouped by site.
#include "platform/file_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "browsers/cookies/registrable_domain.h"
#include "platform/windows/win32.h"
#include "test_files.h"

namespace {

namespace files = platform::files;
using windows_test::exists;
using windows_test::readAll;
using windows_test::TestFolder;

// A file held open as a browser holds its lock file: for writing, sharing
// only reads.
class HeldByBrowser {
 public:
  explicit HeldByBrowser(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~HeldByBrowser() { release(); }
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void release() {
    if (held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

bool hasTemporary(const files::OpenFolder& folder) {
  const std::vector<std::string> names = folder.names();
  return std::any_of(names.begin(), names.end(), [](const std::string& name) {
    return name.find(".tracesweep-tmp-") != std::string::npos;
  });
}

TEST(WindowsFileAccess, AFolderIsListedAndALinkInItIsNeverFollowed) {
  TestFolder folder("access-links");
  folder.write("profile\\cookies.sqlite", "0123456789");
  const std::string kept = folder.write("elsewhere\\kept.txt", "not ours");

  files::OpenFolder profile = files::OpenFolder::open(folder.path() + "\\profile");
  ASSERT_TRUE(profile.valid());
  EXPECT_EQ(profile.names(), std::vector<std::string>{"cookies.sqlite"});
  const auto info = profile.info("cookies.sqlite");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->kind, files::EntryKind::File);
  EXPECT_EQ(info->size, 10u);
  EXPECT_FALSE(profile.info("absent"));

  files::ReadFile file = profile.openFile("cookies.sqlite");
  ASSERT_TRUE(file.valid());
  char bytes[4] = {};
  ASSERT_TRUE(file.readAt(6, bytes, 4));
  EXPECT_EQ(std::string(bytes, 4), "6789");
  EXPECT_FALSE(file.readAt(8, bytes, 4));  // past the end
  EXPECT_EQ(file.readNext(bytes, 3), 3);   // from the start: readAt left no trace
  EXPECT_EQ(std::string(bytes, 3), "012");

  const std::string link = folder.path() + "\\profile\\planted";
  if (!windows_test::makeJunction(link, folder.path() + "\\elsewhere"))
    GTEST_SKIP() << "this system made no junction or link to test with";
  EXPECT_EQ(profile.info("planted")->kind, files::EntryKind::Link);
  const files::OpenFolder through = profile.child("planted");
  EXPECT_FALSE(through.valid());
  EXPECT_TRUE(files::isLinkRefused(through.error()));
  EXPECT_TRUE(files::isLinkRefused(files::OpenFolder::open(link).error()));
  std::string out;
  EXPECT_EQ(files::readWholeFile(link + "\\kept.txt", 100, out), files::ReadStatus::Ok)
      << "a link above the last part is the user's own and is followed";
  EXPECT_FALSE(files::isRegularFile(link));

  // The user moved a profile and left a link: held by what it leads to.
  const files::FolderHold hold = files::holdUserFolder(link);
  ASSERT_EQ(hold.result, files::FolderHold::Result::Held) << hold.refusal;
  EXPECT_TRUE(hold.folder.throughLink);
  const files::FolderHold direct = files::holdUserFolder(folder.path() + "\\elsewhere");
  EXPECT_EQ(hold.folder.device, direct.folder.device);
  EXPECT_EQ(hold.folder.inode, direct.folder.inode);
  EXPECT_EQ(files::holdUserFolder(folder.path() + "\\absent").result,
            files::FolderHold::Result::Absent);

  // The link itself goes, never what it leads to. Wine cannot remove a link
  // of the host that leads to a folder: there it stays, and says so.
  const files::FileError removed = profile.remove("planted");
  EXPECT_EQ(readAll(kept), "not ours");
  if (!windows_test::underWine()) {
    EXPECT_EQ(removed, 0) << files::errorWords(removed);
    EXPECT_FALSE(exists(link));
  }
  EXPECT_EQ(profile.remove("absent"), 0) << "gone already is gone";

  // A store removed whole: a junction in it goes as itself, never entered.
  folder.write("profile\\store\\deeper\\000003.log", "site data");
  if (!windows_test::makeJunction(folder.path() + "\\profile\\store\\planted",
                                  folder.path() + "\\elsewhere"))
    return;
  const files::TreeRemoval removal = profile.removeTree("store");
  EXPECT_EQ(readAll(kept), "not ours");
  if (!windows_test::underWine()) {
    EXPECT_TRUE(removal.gone()) << files::errorWords(removal.error) << " at " << removal.failedPath;
    EXPECT_FALSE(exists(folder.path() + "\\profile\\store"));
  }
}

TEST(WindowsFileAccess, AReplacementEitherCompletesOrLeavesTheOldContent) {
  TestFolder folder("access-replace");
  const std::string prefs = folder.write("prefs.js", "old");
  const files::OpenFolder opened = files::OpenFolder::open(folder.path());

  const files::Replacement done = files::replaceFile(prefs, "new content");
  EXPECT_TRUE(done.replaced);
  EXPECT_EQ(done.error, 0) << files::errorWords(done.error);
  EXPECT_EQ(readAll(prefs), "new content");
  EXPECT_EQ(GetFileAttributesA(prefs.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u)
      << "the temporary's hidden mark does not stay on the file";

  {
    // The browser holds the file: the rename over it fails, nothing changes.
    HeldByBrowser browser(prefs);
    ASSERT_TRUE(browser.held());
    const files::Replacement refused = files::replaceFile(prefs, "lost?");
    EXPECT_FALSE(refused.replaced);
    EXPECT_NE(refused.error, 0);
    EXPECT_FALSE(files::errorWords(refused.error).empty());
  }
  EXPECT_EQ(readAll(prefs), "new content");
  EXPECT_FALSE(hasTemporary(opened)) << "a failed replacement leaves no temporary";

  const files::Replacement nowhere = files::replaceFile(folder.path() + "\\absent\\prefs.js", "x");
  EXPECT_FALSE(nowhere.replaced);
  EXPECT_TRUE(files::isMissing(nowhere.error));

  // A temporary a crash left is removed once it is older than the run.
  const std::string stale = folder.write(".prefs.js.tracesweep-tmp-a1b2c3", "half");
  timespec later{};
  later.tv_sec = std::time(nullptr) + 60;
  files::removeStaleTemporaries(folder.path(), later);
  EXPECT_FALSE(exists(stale));
  EXPECT_EQ(readAll(prefs), "new content");
}

TEST(WindowsFileAccess, AFileOpenWithoutSharingIsHeldLockedOnlyWhileItIsOpen) {
  TestFolder folder("access-lock");
  const std::string lock = folder.write("lockfile", "");
  EXPECT_FALSE(files::heldLocked(lock));
  HeldByBrowser browser(lock);
  ASSERT_TRUE(browser.held());
  EXPECT_TRUE(files::heldLocked(lock));
  browser.release();
  EXPECT_FALSE(files::heldLocked(lock));
  EXPECT_FALSE(files::heldLocked(folder.path() + "\\absent"));
}

TEST(WindowsFileAccess, APrivateFolderGoesWithItsFilesAndLeftOnesAreRemoved) {
  TestFolder folder("access-private");
  const std::string source = folder.write("Cookies", "sqlite bytes");

  std::string made;
  {
    const auto first = files::PrivateFolder::make("tracesweep-test-");
    ASSERT_TRUE(first);
    made = first->path();
    const std::string copy = made + "\\Cookies";
    EXPECT_EQ(files::copyToNewFile(source, copy), files::CopyResult::Copied);
    EXPECT_EQ(readAll(copy), "sqlite bytes");
    EXPECT_EQ(files::copyToNewFile(source, copy), files::CopyResult::Failed) << "never over a file";
    EXPECT_EQ(files::copyToNewFile(folder.path() + "\\absent", made + "\\x"),
              files::CopyResult::Missing);
  }
  EXPECT_FALSE(exists(made));

  // One a crash left two hours ago goes when the next is made.
  const auto left = files::PrivateFolder::make("tracesweep-test-");
  ASSERT_TRUE(left);
  const std::string leftPath = left->path();
  CopyFileA(source.c_str(), (leftPath + "\\Cookies").c_str(), TRUE);
  HANDLE handle =
      CreateFileA(leftPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER old{};
  old.LowPart = now.dwLowDateTime, old.HighPart = now.dwHighDateTime;
  old.QuadPart -= 2ULL * 3600 * 10000000;
  const FILETIME twoHoursAgo{old.LowPart, old.HighPart};
  SetFileTime(handle, nullptr, nullptr, &twoHoursAgo);
  CloseHandle(handle);
  const auto next = files::PrivateFolder::make("tracesweep-test-");
  ASSERT_TRUE(next);
  EXPECT_FALSE(exists(leftPath));
  EXPECT_TRUE(exists(next->path()));
}

TEST(WindowsSuffixList, TheLongestRuleWinsAndAnExceptionPrevails) {
  using browsers::registrableDomain;
  EXPECT_EQ(registrableDomain("example.co.uk"), "example.co.uk");
  EXPECT_EQ(registrableDomain("www.example.co.uk"), "example.co.uk");
  EXPECT_EQ(registrableDomain("co.uk"), "") << "a public suffix is no site of its own";
  EXPECT_EQ(registrableDomain("a.b.kawasaki.jp"), "a.b.kawasaki.jp") << "*.kawasaki.jp";
  EXPECT_EQ(registrableDomain("www.city.kawasaki.jp"), "city.kawasaki.jp") << "!city.kawasaki.jp";
  EXPECT_EQ(registrableDomain("user.github.io"), "user.github.io") << "the private section counts";
  EXPECT_EQ(registrableDomain("localhost"), "") << "the implicit * rule";
  EXPECT_EQ(registrableDomain("mail.example.unlisted"), "example.unlisted");
  // The list writes 公司.cn in UTF-8; browsers store it as punycode.
  EXPECT_EQ(registrableDomain("www.shop.xn--55qx5d.cn"), "shop.xn--55qx5d.cn");
  EXPECT_EQ(registrableDomain("a..example.com"), "");
}

}  // namespace

// A browser's LevelDB store rewritten, removed, and put right after a run
// that was stopped anywhere: the store's name always leads to a whole store,
// a store set aside is never lost, and nothing of ours is left beside it.
#include "browsers/cookies/leveldb_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <leveldb/db.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Records = std::vector<browsers::LevelDbRecord>;

const browsers::LevelDbRecord kKept{"_https://kept.test\x00\x01login"s, "token"};
const browsers::LevelDbRecord kGoing{"_https://going.test\x00\x01id"s, "tracker"};
const browsers::LevelDbRecord kBrowsersOwn{"VERSION", "1"};

void makeStore(const std::string& folder, const Records& records) {
  leveldb::Options options;
  options.create_if_missing = true;
  leveldb::DB* opened = nullptr;
  ASSERT_TRUE(leveldb::DB::Open(options, folder, &opened).ok());
  const std::unique_ptr<leveldb::DB> db(opened);
  for (const auto& [key, value] : records) ASSERT_TRUE(db->Put({}, key, value).ok());
}

Records sorted(Records records) {
  std::sort(records.begin(), records.end());
  return records;
}

std::string identity(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return std::to_string(st.st_dev) + " " + std::to_string(st.st_ino);
}

// The names a store's folder holds beside the store, ours.
std::vector<std::string> leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != "leveldb") names.push_back(entry.path().filename().string());
  return names;
}

// A store as a rewrite leaves it beside the old one: the new store written
// whole, and the record of the two, before either name changes.
struct SwapUnderWay {
  explicit SwapUnderWay(const fs::path& dir) : store((dir / "leveldb").string()) {
    makeStore(store, {kBrowsersOwn, kKept, kGoing});
    makeStore(fresh, {kBrowsersOwn, kKept});
    std::ofstream(record) << "tracesweep store swap 1\nold " << identity(store) << "\nnew "
                          << identity(fresh) << "\n";
  }
  void exchange() const {
    fs::rename(store, store + ".swapping");
    fs::rename(fresh, store);
    fs::rename(store + ".swapping", fresh);
  }

  std::string store;
  std::string fresh = store + ".tracesweep-new";
  std::string aside = store + ".tracesweep-old";
  std::string record = store + ".tracesweep-swap";
};

// The store's folder made unwritable, even for root (the immutable flag),
// for as long as the object lives; unsupported() where it cannot be.
class Frozen {
 public:
  explicit Frozen(const fs::path& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)) {
    if (::geteuid() != 0) {
      frozen_ = ::chmod(folder.c_str(), 0555) == 0;
      chmodded_ = frozen_;
    } else if (::ioctl(fd_, FS_IOC_GETFLAGS, &flags_) == 0) {
      int immutable = flags_ | FS_IMMUTABLE_FL;
      frozen_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &immutable) == 0;
    }
    path_ = folder;
  }
  ~Frozen() {
    if (chmodded_)
      ::chmod(path_.c_str(), 0755);
    else if (frozen_)
      ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
    ::close(fd_);
  }
  bool unsupported() const { return !frozen_; }

 private:
  int fd_;
  int flags_ = 0;
  bool frozen_ = false;
  bool chmodded_ = false;
  fs::path path_;
};

// A run stopped after each step of a rewrite: the next run's recovery finds
// exactly one whole store under the name, the old one or the new, and
// nothing of ours beside it; a second recovery changes nothing.
TEST(LevelDbStore, ARewriteStoppedAfterAnyStepIsFinishedOrUndoneWhole) {
  const Records before = sorted({kBrowsersOwn, kKept, kGoing});
  const Records after = sorted({kBrowsersOwn, kKept});
  struct Step {
    const char* name;
    void (*stop)(const SwapUnderWay&);
    Records expected;
    bool putBack;
  };
  const Step steps[] = {
      {"new store written, no record yet",
       [](const SwapUnderWay& swap) { fs::remove(swap.record); }, before, false},
      {"record written", [](const SwapUnderWay&) {}, before, false},
      {"names exchanged", [](const SwapUnderWay& swap) { swap.exchange(); }, after, false},
      {"old store set aside", [](const SwapUnderWay& swap) { fs::rename(swap.store, swap.aside); },
       before, true},
      {"new store renamed in",
       [](const SwapUnderWay& swap) {
         fs::rename(swap.store, swap.aside);
         fs::rename(swap.fresh, swap.store);
       },
       after, false},
      {"old store half deleted",
       [](const SwapUnderWay& swap) {
         swap.exchange();
         fs::rename(swap.fresh, swap.store + ".tracesweep-gone");
         fs::remove(swap.store + ".tracesweep-gone/CURRENT");
       },
       after, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    testsupport::TempDir dir;
    const SwapUnderWay swap(dir.path());
    step.stop(swap);

    const browsers::LevelDbRecovery recovery = browsers::recoverLevelDbStore(swap.store);
    EXPECT_TRUE(recovery.failed.empty());
    EXPECT_TRUE(recovery.kept.empty());
    EXPECT_EQ(recovery.putBack, step.putBack);
    const browsers::LevelDbRead read = browsers::readLevelDb(swap.store);
    ASSERT_EQ(read.problem, "");
    EXPECT_EQ(read.records, step.expected);
    EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});

    const browsers::LevelDbRecovery again = browsers::recoverLevelDbStore(swap.store);
    EXPECT_FALSE(again.putBack);
    EXPECT_TRUE(again.failed.empty() && again.kept.empty());
  }
}

// A rewrite as it runs: exactly the records given, the old store and every
// name of ours gone.
TEST(LevelDbStore, ARewriteLeavesExactlyTheRecordsKeptAndNothingBeside) {
  testsupport::TempDir dir;
  const std::string store = (dir.path() / "leveldb").string();
  makeStore(store, {kBrowsersOwn, kKept, kGoing});
  ASSERT_EQ(browsers::rewriteLevelDb(store, {kBrowsersOwn, kKept}).problem, "");
  EXPECT_EQ(browsers::readLevelDb(store).records, sorted({kBrowsersOwn, kKept}));
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
  // And the copy a listing reads tells the same, without the store's lock.
  EXPECT_EQ(browsers::readLevelDbCopy(store).records, sorted({kBrowsersOwn, kKept}));
}

// The browser started while the store was set aside and made a fresh one
// under its name: the set-aside store stays while it holds a record the
// fresh one lacks, and goes once all of it is there.
TEST(LevelDbStore, AStoreSetAsideBesideTheBrowsersFreshOneIsKeptUnlessAllOfItIsThere) {
  testsupport::TempDir dir;
  SwapUnderWay swap(dir.path());
  fs::rename(swap.store, swap.aside);
  makeStore(swap.store, {kBrowsersOwn});

  for (int run = 0; run < 2; ++run) {
    const browsers::LevelDbRecovery recovery = browsers::recoverLevelDbStore(swap.store);
    EXPECT_FALSE(recovery.putBack);
    EXPECT_TRUE(recovery.failed.empty());
    ASSERT_EQ(recovery.kept.size(), 1u);
    EXPECT_EQ(recovery.kept[0].item, swap.aside);
    EXPECT_NE(recovery.kept[0].reason.find("both are kept"), std::string::npos);
    EXPECT_EQ(browsers::readLevelDbCopy(swap.aside).records, sorted({kBrowsersOwn, kKept, kGoing}));
    EXPECT_EQ(browsers::readLevelDb(swap.store).records, Records{kBrowsersOwn});
    EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{"leveldb.tracesweep-old"});
  }

  // The fresh store came to hold everything the set-aside one has.
  ASSERT_TRUE(fs::remove_all(swap.store));
  makeStore(swap.store, {kBrowsersOwn, kKept, kGoing, {"_https://new.test\x00\x01k"s, "v"}});
  const browsers::LevelDbRecovery recovery = browsers::recoverLevelDbStore(swap.store);
  EXPECT_TRUE(recovery.kept.empty());
  EXPECT_TRUE(recovery.failed.empty());
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
  EXPECT_EQ(browsers::readLevelDb(swap.store).records.size(), 4u);
}

// A removal goes whole; one stopped while deleting is finished by the next
// recovery, and the name stays free for the browser.
TEST(LevelDbStore, ARemovalStoppedWhileDeletingIsFinishedByTheNextRecovery) {
  testsupport::TempDir dir;
  const std::string store = (dir.path() / "leveldb").string();
  makeStore(store, {kBrowsersOwn, kKept});
  ASSERT_EQ(browsers::removeLevelDb(store).problem, "");
  EXPECT_FALSE(fs::exists(store));
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
  EXPECT_EQ(browsers::removeLevelDb(store).problem, "");  // nothing there: all gone

  makeStore(store, {kBrowsersOwn, kKept});
  fs::rename(store, store + ".tracesweep-gone");
  fs::remove(store + ".tracesweep-gone/CURRENT");
  const browsers::LevelDbRecovery recovery = browsers::recoverLevelDbStore(store);
  EXPECT_TRUE(recovery.failed.empty());
  EXPECT_FALSE(recovery.putBack);
  EXPECT_FALSE(fs::exists(store));
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{});
}

// Where names cannot change, a rewrite is refused with the old store whole
// under its name, and a recovery tells what it could not do and finishes it
// once it can.
TEST(LevelDbStore, ARenameThatFailsIsToldAndTheStoreStaysWhole) {
  testsupport::TempDir dir;
  const fs::path folder = dir.path() / "Local Storage";
  fs::create_directory(folder);
  const std::string store = (folder / "leveldb").string();
  makeStore(store, {kBrowsersOwn, kKept, kGoing});
  {
    const Frozen frozen(folder);
    if (frozen.unsupported()) GTEST_SKIP() << "a folder cannot be made unwritable here";
    EXPECT_NE(browsers::rewriteLevelDb(store, {kKept}).problem, "");
  }
  EXPECT_EQ(browsers::readLevelDb(store).records, sorted({kBrowsersOwn, kKept, kGoing}));
  EXPECT_EQ(leftovers(folder), std::vector<std::string>{});

  ASSERT_TRUE(fs::remove_all(store));
  const SwapUnderWay swap(folder);
  swap.exchange();
  {
    const Frozen frozen(folder);
    const browsers::LevelDbRecovery recovery = browsers::recoverLevelDbStore(swap.store);
    ASSERT_EQ(recovery.failed.size(), 1u);
    EXPECT_EQ(recovery.failed[0].item, swap.fresh);
    EXPECT_NE(recovery.failed[0].reason, "");
  }
  EXPECT_EQ(browsers::readLevelDb(swap.store).records, sorted({kBrowsersOwn, kKept}));
  EXPECT_TRUE(browsers::recoverLevelDbStore(swap.store).failed.empty());
  EXPECT_EQ(leftovers(folder), std::vector<std::string>{});
}

}  // namespace

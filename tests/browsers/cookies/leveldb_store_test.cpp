// A rewrite of a browser's LevelDB store that a crash cut short between its
// two renames loses nothing: the store set aside goes back in place.
#include "browsers/cookies/leveldb_store.h"

#include <gtest/gtest.h>
#include <leveldb/db.h>

#include <filesystem>
#include <memory>

#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

void makeStore(const std::string& folder) {
  leveldb::Options options;
  options.create_if_missing = true;
  leveldb::DB* opened = nullptr;
  ASSERT_TRUE(leveldb::DB::Open(options, folder, &opened).ok());
  const std::unique_ptr<leveldb::DB> db(opened);
  ASSERT_TRUE(db->Put({}, "META:https://kept.test", "m").ok());
  ASSERT_TRUE(db->Put({}, "_https://kept.test\x00\x01login", "token").ok());
}

TEST(LevelDbStore, AStoreSetAsideByACutShortRewriteIsPutBack) {
  testsupport::TempDir dir;
  const std::string store = (dir.path() / "leveldb").string();
  makeStore(store);
  // The crash: the store renamed aside, the new one not yet in its place.
  fs::rename(store, store + ".tracesweep-old");
  fs::create_directory(store + ".tracesweep-new");

  const browsers::LevelDbRead read = browsers::readLevelDb(store);
  ASSERT_EQ(read.problem, "");
  EXPECT_EQ(read.records.size(), 2u);
  EXPECT_FALSE(fs::exists(store + ".tracesweep-old"));
  EXPECT_FALSE(fs::exists(store + ".tracesweep-new"));

  // And a rewrite afterwards keeps exactly what it is given.
  ASSERT_EQ(browsers::rewriteLevelDb(store, {read.records[0]}).problem, "");
  EXPECT_EQ(browsers::readLevelDb(store).records.size(), 1u);
}

}  // namespace

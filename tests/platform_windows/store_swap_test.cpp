// A store in a folder of its own replaced on Windows, which has no exchange of
// two names: the two renames after a record of both stores, and a run stopped
// between them put right by the next. The store here is a folder with a file
// per record; the swap does not look inside.
#include "browsers/formats/store_swap.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_access.h"
#include "platform/paths.h"
#include "test_files.h"

namespace {

namespace files = platform::files;
using browsers::StoreRecord;
using browsers::StoreRecords;
using windows_test::exists;
using windows_test::readAll;
using windows_test::TestFolder;

StoreRecords readStore(const std::string& folder) {
  StoreRecords out;
  const files::OpenFolder store = files::OpenFolder::open(folder);
  if (!store.valid()) return {{}, files::errorWords(store.error())};
  for (const std::string& name : store.names())
    out.records.emplace_back(name, readAll(platform::joinPath(folder, name)));
  std::sort(out.records.begin(), out.records.end());
  return out;
}

std::string writeStore(const TestFolder& folder, const std::string& name,
                       const std::vector<StoreRecord>& records) {
  for (const auto& [key, value] : records) folder.write(name + "\\" + key, value);
  return platform::joinPath(folder.path(), name);
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names = files::OpenFolder::open(folder).names();
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WindowsStoreSwap, TheTwoRenamesReplaceTheStoreAndAStopBetweenThemIsUndone) {
  TestFolder folder("store-swap");
  const std::vector<StoreRecord> before{{"going", "tracker"}, {"kept", "token"}};
  const std::vector<StoreRecord> after{{"kept", "token"}};
  const std::string store = writeStore(folder, "leveldb", before);

  // A whole swap: the new store holds the name, nothing else is left.
  const std::string problem = browsers::replaceStore(
      store,
      [&](const std::string& path) {
        EXPECT_EQ(path, browsers::newStorePath(store));
        writeStore(folder, platform::fileNameOf(path), after);
        return std::string();
      },
      readStore);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(readStore(store).records, after);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"leveldb"});

  // Stopped after the first rename: the record names both stores, the old
  // one set aside, the new one beside it, none under the name.
  const files::OpenFolder parent = files::OpenFolder::open(folder.path());
  writeStore(folder, "leveldb.tracesweep-new", {{"kept", "token"}, {"unused", "1"}});
  const files::EntryIdentity oldStore = parent.identity("leveldb");
  const files::EntryIdentity newStore = parent.identity("leveldb.tracesweep-new");
  ASSERT_EQ(oldStore.error, 0);
  ASSERT_EQ(newStore.error, 0);
  EXPECT_EQ(oldStore.kind, files::EntryKind::Folder);
  EXPECT_FALSE(oldStore.id == newStore.id);
  folder.write("leveldb.tracesweep-swap", "tracesweep store swap 1\nold " +
                                              std::to_string(oldStore.id.volume) + " " +
                                              std::to_string(oldStore.id.index) + "\nnew " +
                                              std::to_string(newStore.id.volume) + " " +
                                              std::to_string(newStore.id.index) + "\n");
  ASSERT_EQ(parent.rename("leveldb", "leveldb.tracesweep-old"), 0);
  EXPECT_NE(parent.rename("leveldb.tracesweep-new", "leveldb.tracesweep-old"), 0);  // no replace
  EXPECT_TRUE(parent.identity("leveldb.tracesweep-old").id == oldStore.id);

  const browsers::StoreRecovery recovery = browsers::recoverStore(store, readStore);
  EXPECT_TRUE(recovery.putBack);
  EXPECT_TRUE(recovery.failed.empty());
  EXPECT_TRUE(recovery.kept.empty());
  EXPECT_EQ(readStore(store).records, after);
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"leveldb"});

  // And a removal goes whole.
  EXPECT_EQ(browsers::removeStore(store), "");
  EXPECT_FALSE(exists(store));
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{});
}

}  // namespace

// Where the LevelDB library is not built in (Windows for now): no store is
// read or edited, and the callers keep a shared store whole. What an earlier
// swap or removal left is still settled (formats/store_swap), and a store can
// still go whole: neither needs the library.
#include "browsers/cookies/leveldb_store.h"
#include "browsers/formats/store_swap.h"

namespace browsers {

namespace {

constexpr const char* kCannotRead = "this build cannot read LevelDB stores";

}  // namespace

bool levelDbEditable() {
  return false;
}

LevelDbRead readLevelDb(const std::string&) {
  return {{}, kCannotRead};
}

LevelDbRead readLevelDbCopy(const std::string&) {
  return {{}, kCannotRead};
}

LevelDbRecovery recoverLevelDbStore(const std::string& folder) {
  // Without the library two stores cannot be compared: a set-aside store
  // beside another is kept.
  StoreRecovery settled = recoverStore(folder, [](const std::string&) {
    return StoreRecords{{}, kCannotRead};
  });
  return {settled.putBack, std::move(settled.kept), std::move(settled.failed)};
}

LevelDbEdit rewriteLevelDb(const std::string&, const std::vector<LevelDbRecord>&) {
  return {"this build cannot change LevelDB stores"};
}

LevelDbEdit removeLevelDb(const std::string& folder) {
  return {removeStore(folder)};
}

}  // namespace browsers

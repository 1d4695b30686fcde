// Where the LevelDB library is not built in (Windows for now): no store is
// read or edited, and the callers keep a shared store whole.
#include "browsers/cookies/leveldb_store.h"

namespace browsers {

bool levelDbEditable() {
  return false;
}

LevelDbRead readLevelDb(const std::string&) {
  return {{}, "this build cannot read LevelDB stores"};
}

LevelDbEdit rewriteLevelDb(const std::string&, const std::vector<LevelDbRecord>&) {
  return {"this build cannot change LevelDB stores"};
}

}  // namespace browsers

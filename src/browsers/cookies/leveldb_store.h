// Chromium's LevelDB stores of site data (Local Storage, Session Storage,
// the service-worker database), rewritten without the records of some
// origins. Deleting in place and compacting is not enough: the manifest keeps
// the key where the last compaction stopped, and the logs keep what the
// browser itself deleted. So the records kept are written to a new store
// beside the old one, which then takes its place. Only where the LevelDB
// library is built in (Linux: browsers/system/linux); elsewhere an edit is
// refused and the store stays whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace browsers {

// Whether stores can be read and edited here.
bool levelDbEditable();

using LevelDbRecord = std::pair<std::string, std::string>;  // key, value

struct LevelDbRead {
  std::vector<LevelDbRecord> records;  // in key order
  std::string problem;                 // "" or why the store could not be read
};
// Every record of the store in folder (which must exist; nothing is made).
LevelDbRead readLevelDb(const std::string& folder);

struct LevelDbEdit {
  std::string problem;  // "" or why nothing changed
};
// Replaces the store in folder by one that holds only these records: a new
// store written and synced beside it ("<folder>.tracesweep-new"), the old
// one renamed aside, the new one renamed in its place, the old one removed.
// On a failure before the renames the old store is as it was; a rewrite cut
// short between the renames is put right by the next read or rewrite.
LevelDbEdit rewriteLevelDb(const std::string& folder, const std::vector<LevelDbRecord>& keep);

}  // namespace browsers

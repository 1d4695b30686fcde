// Chromium's LevelDB stores of site data (Local Storage, Session Storage,
// the service-worker database, the site characteristics database),
// rewritten without the records of some origins. Deleting in place and
// compacting is not enough: the manifest keeps the key where the last
// compaction stopped, and the logs keep what the browser itself deleted. So
// the records kept are written to a new store beside the old one, which then
// takes its place.
//
// The store's own name holds a whole store at every instant, the old or the
// new, whatever stops the program: the new store is swapped in by one
// exchange of the two names where the file system has it, else by two
// renames after an intent record beside the store names both stores. The
// next run's recoverLevelDbStore finishes or undoes what a run left, whether
// or not the store's folder exists then. A set-aside store is deleted only
// when every record of it is in the store that holds its name; when the
// browser made a fresh store meanwhile both stay, and that is told.
//
// Reading and editing need the LevelDB library (Linux: browsers/system/linux);
// elsewhere an edit is refused and the store stays whole.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/clear_outcome.h"

namespace browsers {

// Whether stores can be read and edited here.
bool levelDbEditable();

using LevelDbRecord = std::pair<std::string, std::string>;  // key, value

struct LevelDbRead {
  std::vector<LevelDbRecord> records;  // in key order
  std::string problem;                 // "" or why the store could not be read
};
// Every record of the live store in folder (which must exist; nothing is
// made). Opening takes the store's lock: it fails while the browser runs.
LevelDbRead readLevelDb(const std::string& folder);
// The same, read from a private copy of the store's files: the live store is
// never opened, so a listing never disturbs a running browser.
LevelDbRead readLevelDbCopy(const std::string& folder);

// What an earlier run's rewrite or removal of the store at folder left, and
// what became of it.
struct LevelDbRecovery {
  bool putBack = false;                        // a set-aside store took its name again
  std::vector<platform::ClearKept> kept;       // set-aside stores kept, with why
  std::vector<platform::ClearFailure> failed;  // what could not be put right, with why
};
// Finishes or undoes what an earlier rewrite or removal of the store at
// folder left beside it. Called before the store is listed or changed, on
// every run, whether or not folder exists.
LevelDbRecovery recoverLevelDbStore(const std::string& folder);

struct LevelDbEdit {
  std::string problem;  // "" or why nothing changed
};
// Replaces the store in folder by one that holds only these records (see the
// top of this file). On any failure the old store holds its name.
LevelDbEdit rewriteLevelDb(const std::string& folder, const std::vector<LevelDbRecord>& keep);
// Removes the store whole: moved out of its name in one rename (the browser
// never finds half a store), then deleted; a deletion cut short is finished
// by the next recoverLevelDbStore. problem "" only when it is all gone.
LevelDbEdit removeLevelDb(const std::string& folder);

}  // namespace browsers

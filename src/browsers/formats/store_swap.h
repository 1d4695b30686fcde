// A store kept in a folder of its own (Chromium's LevelDB stores) replaced
// by a new one written beside it, so that the store's name leads to a whole
// store, the old or the new, at every instant, whatever stops the program;
// and what such a change left, finished or undone by the next run. Beside
// the store <name>, in the same folder:
//   <name>.tracesweep-new   the new store, written whole before the swap
//   <name>.tracesweep-old   the old store set aside by the swap's first rename
//   <name>.tracesweep-swap  the record of a swap: which entries (device and
//                           inode, volume and file index) the old store and
//                           the new one are, so the next run never guesses
//   <name>.tracesweep-gone  a store moved out of its name to be deleted
// Independent of the store's format: the caller writes and reads the stores.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clear_outcome.h"

namespace browsers {

using StoreRecord = std::pair<std::string, std::string>;  // key, value
struct StoreRecords {
  std::vector<StoreRecord> records;
  std::string problem;  // "" or why the store could not be read
};
// Every record of the store in a folder, read without disturbing it (from a
// copy), or why not.
using StoreReader = std::function<StoreRecords(const std::string& folder)>;
// Writes a whole new store, on the disk, in a new folder at path: "" or why
// it could not.
using StoreWriter = std::function<std::string(const std::string& path)>;

// The name that a store's new copy is written at: "<folder>.tracesweep-new".
std::string newStorePath(const std::string& folder);

// Replaces the store at folder by the one write makes beside it: swapped in
// by one exchange of the two names where the file system has it, else by two
// renames after a record of the two stores; then the old store is deleted.
// "" when the new store holds the name and the old is gone; else why not,
// and the old store still holds the name unless the problem says otherwise.
// Refused while what an earlier change left is not settled.
std::string replaceStore(const std::string& folder, const StoreWriter& write,
                         const StoreReader& read);

struct StoreRecovery {
  bool putBack = false;                        // a set-aside store took its name again
  std::vector<platform::ClearKept> kept;       // set-aside stores kept, with why
  std::vector<platform::ClearFailure> failed;  // what could not be put right, with why
};
// Finishes or undoes what an earlier replaceStore or removeStore of the store
// at folder left, whether or not folder exists. A set-aside old store is
// deleted only when the name holds the new store, or when read finds every
// record of it (same key and value) in the store that holds the name; else
// both stay and kept tells it. May itself be stopped anywhere: the next call
// goes on from there.
StoreRecovery recoverStore(const std::string& folder, const StoreReader& read);

// Removes the store at folder whole: moved out of its name in one rename,
// then deleted. "" only when it is all gone (also when it was not there).
std::string removeStore(const std::string& folder);

}  // namespace browsers

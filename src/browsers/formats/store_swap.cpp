#include "browsers/formats/store_swap.h"

#include <algorithm>
#include <optional>
#include <sstream>
#include <string_view>

#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace files = platform::files;

namespace {

constexpr std::string_view kNew = ".tracesweep-new";
constexpr std::string_view kOld = ".tracesweep-old";
constexpr std::string_view kRecord = ".tracesweep-swap";
constexpr std::string_view kGone = ".tracesweep-gone";
constexpr std::string_view kRecordHeader = "tracesweep store swap 1";
// The temporaries files::writeOwnFile leaves when it is stopped: hidden
// beside the record, "." + its name + this + six characters.
constexpr std::string_view kTemporaryMark = ".tracesweep-tmp-";

constexpr const char* kKeptBoth =
    "set aside by an earlier run that was stopped; the browser made a new store meanwhile, so "
    "both are kept";

// A store's name and the folder it is in, held open.
struct Site {
  explicit Site(const std::string& folder)
      : path(platform::withoutTrailingSeparators(folder)),
        name(platform::fileNameOf(path)),
        parent(files::OpenFolder::open(platform::folderOf(path))) {}

  std::string path;
  std::string name;
  files::OpenFolder parent;

  std::string newName() const { return name + std::string(kNew); }
  std::string oldName() const { return name + std::string(kOld); }
  std::string recordName() const { return name + std::string(kRecord); }
  std::string goneName() const { return name + std::string(kGone); }
  std::string pathOf(std::string_view entry) const {
    return platform::joinPath(parent.path(), entry);
  }
};

// Which entries a swap's old and new stores are.
struct SwapRecord {
  files::EntryId oldStore;
  files::EntryId newStore;
};

std::string recordText(const SwapRecord& record) {
  std::ostringstream text;
  text << kRecordHeader << "\nold " << record.oldStore.volume << ' ' << record.oldStore.index
       << "\nnew " << record.newStore.volume << ' ' << record.newStore.index << '\n';
  return text.str();
}

std::optional<SwapRecord> parseRecord(const std::string& text) {
  std::istringstream in(text);
  std::string header, oldWord, newWord;
  SwapRecord record;
  if (!std::getline(in, header) || header != kRecordHeader) return std::nullopt;
  if (!(in >> oldWord >> record.oldStore.volume >> record.oldStore.index >> newWord >>
        record.newStore.volume >> record.newStore.index) ||
      oldWord != "old" || newWord != "new")
    return std::nullopt;
  return record;
}

bool present(const files::EntryIdentity& entry) {
  return entry.error == 0;
}

bool holds(const files::EntryIdentity& entry, const files::EntryId& id) {
  return entry.error == 0 && entry.id == id;
}

void fail(std::vector<platform::ClearFailure>& failed, std::string item, std::string reason) {
  for (const platform::ClearFailure& told : failed)
    if (told.item == item && told.reason == reason) return;
  failed.push_back({std::move(item), std::move(reason)});
}

// Deletes what is under the -gone name: always a store on its way out.
bool clearGone(const Site& site, std::vector<platform::ClearFailure>& failed) {
  const files::TreeRemoval removal = site.parent.removeTree(site.goneName());
  if (removal.gone()) return true;
  fail(failed, removal.failedPath, "it could not be deleted: " + files::errorWords(removal.error));
  return false;
}

// Deletes an entry beside the store that is no longer wanted: renamed to the
// -gone name in one step, then deleted there, so a deletion cut short never
// leaves half a store under a name that might be kept; whatever is under the
// -gone name is always deleted.
bool discard(const Site& site, const std::string& entry,
             std::vector<platform::ClearFailure>& failed) {
  const std::string gone = site.goneName();
  if (!clearGone(site, failed)) return false;
  if (const files::FileError error = site.parent.rename(entry, gone); error != 0) {
    if (files::isMissing(error)) return true;
    fail(failed, site.pathOf(entry),
         "it could not be moved aside to be deleted: " + files::errorWords(error));
    return false;
  }
  return clearGone(site, failed);
}

// Whether every record of `aside` is in `live`, with the same value.
bool allIn(std::vector<StoreRecord> aside, std::vector<StoreRecord> live) {
  std::sort(aside.begin(), aside.end());
  std::sort(live.begin(), live.end());
  return std::includes(live.begin(), live.end(), aside.begin(), aside.end());
}

// A store set aside under the -old name while another holds the store's
// name: deleted only when everything in it is in that other store too.
void keepOrDiscardSetAside(const Site& site, const StoreReader& read, StoreRecovery& out) {
  const std::string asidePath = site.pathOf(site.oldName());
  const StoreRecords aside = read(asidePath);
  const StoreRecords live = read(site.path);
  if (aside.problem.empty() && live.problem.empty()) {
    if (allIn(aside.records, live.records)) {
      discard(site, site.oldName(), out.failed);
      return;
    }
    out.kept.push_back({asidePath, kKeptBoth});
    return;
  }
  const std::string& problem = !aside.problem.empty() ? aside.problem : live.problem;
  out.kept.push_back(
      {asidePath, std::string(kKeptBoth) + " (they could not be compared: " + problem + ")"});
}

// The record's stray temporaries, left when writing it was stopped.
void removeRecordTemporaries(const Site& site, std::vector<platform::ClearFailure>& failed) {
  const std::string prefix = "." + site.recordName() + std::string(kTemporaryMark);
  for (const std::string& name : site.parent.names()) {
    if (!name.starts_with(prefix)) continue;
    const std::optional<files::EntryInfo> info = site.parent.info(name);
    if (!info || info->kind != files::EntryKind::File) continue;
    if (const files::FileError error = site.parent.remove(name); error != 0)
      fail(failed, site.pathOf(name), "it could not be deleted: " + files::errorWords(error));
  }
}

struct Looks {
  files::EntryIdentity store, fresh, aside;  // the name, -new, -old
};

// Leftovers that no record explains: a new store that was never swapped in
// (its record is written only after it is whole) and an old one set aside.
void settleUnrecorded(const Site& site, const Looks& look, const StoreReader& read,
                      StoreRecovery& out) {
  if (present(look.fresh)) discard(site, site.newName(), out.failed);
  if (!present(look.aside)) return;
  if (!present(look.store)) {
    if (const files::FileError error = site.parent.rename(site.oldName(), site.name); error == 0)
      out.putBack = true;
    else
      fail(out.failed, site.pathOf(site.oldName()),
           "it could not be put back in its place: " + files::errorWords(error));
    return;
  }
  keepOrDiscardSetAside(site, read, out);
}

// What a swap left, told apart by the record's identities.
void settleRecorded(const Site& site, const SwapRecord& record, const Looks& look,
                    const StoreReader& read, StoreRecovery& out) {
  const std::size_t failedBefore = out.failed.size();
  const std::string newName = site.newName(), oldName = site.oldName();
  // Where the old and the new store are, when not under the store's name.
  std::string oldAt = holds(look.fresh, record.oldStore)   ? newName
                      : holds(look.aside, record.oldStore) ? oldName
                                                           : "";
  std::string newAt = holds(look.fresh, record.newStore)   ? newName
                      : holds(look.aside, record.newStore) ? oldName
                                                           : "";
  const bool strayNew = present(look.fresh) && oldAt != newName && newAt != newName;
  const bool strayOld = present(look.aside) && oldAt != oldName && newAt != oldName;

  if (holds(look.store, record.newStore)) {
    // The swap was made: the old store's kept records are in the new one.
    if (!oldAt.empty()) discard(site, oldAt, out.failed);
  } else if (holds(look.store, record.oldStore)) {
    // The swap was not made, or was undone.
    if (!newAt.empty()) discard(site, newAt, out.failed);
  } else if (files::isMissing(look.store.error)) {
    // Stopped between the two renames: the old store goes back. Should it be
    // gone, the new one holds what was kept and takes the name.
    const std::string& back = !oldAt.empty() ? oldAt : newAt;
    if (!back.empty()) {
      if (const files::FileError error = site.parent.rename(back, site.name); error != 0) {
        fail(out.failed, site.pathOf(back),
             "it could not be put back in its place: " + files::errorWords(error));
      } else {
        out.putBack = back == oldAt;
        if (back == oldAt && !newAt.empty()) discard(site, newAt, out.failed);
      }
    }
  } else {
    // The browser made a store of its own under the name meanwhile. The set
    // aside one (the old, else the new) is judged against it under the -old
    // name; the other copy is not needed.
    std::string& aside = !oldAt.empty() ? oldAt : newAt;
    std::string& other = !oldAt.empty() ? newAt : oldAt;
    if (!other.empty() && discard(site, other, out.failed)) other.clear();
    if (aside == newName) {
      // Never left under -new: once the record goes, what is there is taken
      // for a write that was not finished.
      if (const files::FileError error = site.parent.rename(newName, oldName); error != 0)
        fail(out.failed, site.pathOf(newName),
             "it could not be moved to " + site.pathOf(oldName) + ": " + files::errorWords(error));
      else
        aside = oldName;
    }
    if (aside == oldName) keepOrDiscardSetAside(site, read, out);
  }
  // Entries the record does not name: as if there were none.
  if (strayNew) discard(site, newName, out.failed);
  if (strayOld && present(site.parent.identity(site.name))) keepOrDiscardSetAside(site, read, out);

  // The record goes last, and only when nothing it explains is left to do.
  if (out.failed.size() != failedBefore) return;
  if (const files::FileError error = site.parent.remove(site.recordName()); error != 0)
    fail(out.failed, site.pathOf(site.recordName()),
         "it could not be deleted: " + files::errorWords(error));
}

// Finishes or undoes what an earlier change left beside the store; the
// caller holds the store's folder.
void settle(const Site& site, const StoreReader& read, StoreRecovery& out) {
  removeRecordTemporaries(site, out.failed);
  clearGone(site, out.failed);

  std::optional<SwapRecord> record;
  std::string text;
  switch (files::readWholeFile(site.pathOf(site.recordName()), 4096, text)) {
    case files::ReadStatus::Missing:
      break;
    case files::ReadStatus::Ok:
      record = parseRecord(text);
      if (record) break;
      [[fallthrough]];
    default:
      // Without it the stores cannot be told apart for certain: nothing is
      // touched.
      fail(out.failed, site.pathOf(site.recordName()),
           "this record of an earlier change of the store could not be read");
      return;
  }

  const Looks look{site.parent.identity(site.name), site.parent.identity(site.newName()),
                   site.parent.identity(site.oldName())};
  const std::pair<const files::EntryIdentity*, std::string> looked[] = {
      {&look.store, site.name}, {&look.fresh, site.newName()}, {&look.aside, site.oldName()}};
  for (const auto& [entry, name] : looked) {
    if (entry->error != 0 && !files::isMissing(entry->error)) {
      fail(out.failed, site.pathOf(name),
           "it could not be looked at: " + files::errorWords(entry->error));
      return;
    }
  }
  if (record)
    settleRecorded(site, *record, look, read, out);
  else
    settleUnrecorded(site, look, read, out);
}

// Plain words for what settling left undone, for a caller that has room
// for one problem.
std::string describe(const StoreRecovery& settled) {
  std::string text;
  for (const auto* list : {&settled.failed, &settled.kept})
    for (const platform::ClearFailure& item : *list)
      text += (text.empty() ? "" : "; ") + item.item + ": " + item.reason;
  return text;
}

std::string withMore(std::string problem, const std::string& more) {
  if (more.empty()) return problem;
  return problem.empty() ? more : problem + "; " + more;
}

}  // namespace

std::string newStorePath(const std::string& folder) {
  return platform::withoutTrailingSeparators(folder) + std::string(kNew);
}

std::string replaceStore(const std::string& folder, const StoreWriter& write,
                         const StoreReader& read) {
  const Site site(folder);
  if (!site.parent.valid())
    return "its folder could not be opened: " + files::errorWords(site.parent.error());
  const files::ChangeHold hold = site.parent.holdForChange();
  if (!hold.held())
    return "its folder could not be held for the change: " + files::errorWords(hold.error());

  if (present(site.parent.identity(site.recordName())))
    return "an earlier change of it is not finished (" + site.pathOf(site.recordName()) + ")";
  const files::EntryIdentity old = site.parent.identity(site.name);
  if (old.error != 0) return "it could not be looked at: " + files::errorWords(old.error);
  if (old.kind != files::EntryKind::Folder) return "it is not a folder";

  // A new store left by a write that was stopped before its record.
  std::vector<platform::ClearFailure> failed;
  if (!discard(site, site.newName(), failed)) return describe({false, {}, failed});

  const std::string newName = site.newName();
  if (std::string problem = write(site.pathOf(newName)); !problem.empty()) {
    discard(site, newName, failed);
    return withMore(problem, describe({false, {}, failed}));
  }
  // The new store's own names (its files) on the disk before it is used;
  // not held open afterwards (Windows would refuse to rename it).
  files::FileError madeError = 0;
  {
    const files::OpenFolder made = site.parent.child(newName);
    madeError = made.valid() ? made.sync() : made.error();
  }
  const files::EntryIdentity fresh = site.parent.identity(newName);
  const files::FileError freshError = madeError != 0 ? madeError : fresh.error;
  if (freshError != 0) {
    discard(site, newName, failed);
    return withMore(
        "the new store could not be written to the disk: " + files::errorWords(freshError),
        describe({false, {}, failed}));
  }

  // The record, on the disk before either name changes.
  const files::Replacement noted =
      files::writeOwnFile(site.pathOf(site.recordName()), recordText({old.id, fresh.id}));
  std::string problem;
  if (noted.error != 0) {
    problem = "the record of the change could not be written: " + files::errorWords(noted.error);
  } else if (!holds(site.parent.identity(site.name), old.id)) {
    problem = "another store took its name meanwhile";
  } else if (const files::FileError error = site.parent.exchange(site.name, newName); error == 0) {
    if (const files::FileError synced = site.parent.sync(); synced != 0)
      // The old store is deleted only once the swap is surely on the disk;
      // the next run finishes it.
      return "it was replaced, but the change could not be written to the disk (" +
             files::errorWords(synced) + "); the old store stays until the next run";
  } else if (!files::isUnsupported(error)) {
    problem = "it could not be swapped for the new store: " + files::errorWords(error);
  } else if (const files::FileError aside = site.parent.rename(site.name, site.oldName());
             aside != 0) {
    problem = "it could not be set aside for the new store: " + files::errorWords(aside);
  } else if (const files::FileError in = site.parent.rename(newName, site.name); in != 0) {
    problem = "the new store could not take its name: " + files::errorWords(in);
  } else if (const files::FileError synced = site.parent.sync(); synced != 0) {
    return "it was replaced, but the change could not be written to the disk (" +
           files::errorWords(synced) + "); the old store stays until the next run";
  }

  // Finished, or undone, as the next run would: by the record.
  StoreRecovery settled;
  settle(site, read, settled);
  if (problem.empty() && settled.putBack) problem = "the new store did not take its name";
  return withMore(problem, describe(settled));
}

StoreRecovery recoverStore(const std::string& folder, const StoreReader& read) {
  StoreRecovery out;
  const Site site(folder);
  if (!site.parent.valid()) {
    // No folder to hold the store: nothing can have been left in it.
    if (!files::isMissing(site.parent.error()))
      fail(out.failed, site.parent.path(),
           "it could not be opened: " + files::errorWords(site.parent.error()));
    return out;
  }
  const files::ChangeHold hold = site.parent.holdForChange();
  if (!hold.held()) {
    fail(out.failed, site.parent.path(),
         "it could not be held for the change: " + files::errorWords(hold.error()));
    return out;
  }
  settle(site, read, out);
  return out;
}

std::string removeStore(const std::string& folder) {
  const Site site(folder);
  if (!site.parent.valid())
    return files::isMissing(site.parent.error())
               ? ""
               : "its folder could not be opened: " + files::errorWords(site.parent.error());
  const files::ChangeHold hold = site.parent.holdForChange();
  if (!hold.held())
    return "its folder could not be held for the change: " + files::errorWords(hold.error());
  std::vector<platform::ClearFailure> failed;
  discard(site, site.name, failed);
  return describe({false, {}, failed});
}

}  // namespace browsers

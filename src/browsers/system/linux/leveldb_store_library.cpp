// Chromium's LevelDB stores read and written through the LevelDB library
// (Debian's libleveldb); the new store is swapped in by formats/store_swap.
#include <leveldb/db.h>
#include <leveldb/env.h>
#include <leveldb/write_batch.h>

#include <algorithm>
#include <cstdarg>
#include <memory>

#include "browsers/cookies/leveldb_store.h"
#include "browsers/formats/store_swap.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers {

namespace files = platform::files;

namespace {

// LevelDB's own log names the keys a compaction stops at, the deleted ones
// too; and without a logger it would replace the browser's LOG with its own.
// Nothing is logged.
class SilentLogger : public leveldb::Logger {
 public:
  void Logv(const char*, std::va_list) override {}
};

leveldb::Logger* silent() {
  static SilentLogger logger;
  return &logger;
}

// Opens an existing store; never creates one, and fails at once when another
// program (the browser) holds its lock.
std::unique_ptr<leveldb::DB> openStore(const std::string& folder, bool paranoid,
                                       std::string& problem) {
  leveldb::Options options;
  options.create_if_missing = false;
  options.paranoid_checks = paranoid;
  options.info_log = silent();
  leveldb::DB* db = nullptr;
  const leveldb::Status status = leveldb::DB::Open(options, folder, &db);
  if (!status.ok()) {
    problem = "it could not be opened (" + status.ToString() + ")";
    return nullptr;
  }
  return std::unique_ptr<leveldb::DB>(db);
}

LevelDbRead readAll(leveldb::DB& db) {
  LevelDbRead out;
  leveldb::ReadOptions options;
  options.verify_checksums = true;
  const std::unique_ptr<leveldb::Iterator> it(db.NewIterator(options));
  for (it->SeekToFirst(); it->Valid(); it->Next())
    out.records.emplace_back(it->key().ToString(), it->value().ToString());
  if (!it->status().ok()) {
    out.records.clear();
    out.problem = "it could not be read (" + it->status().ToString() + ")";
  }
  return out;
}

// The store's files but its lock and its log (the library's own notes),
// CURRENT first: a manifest the browser writes meanwhile is then newer than
// the one CURRENT names, and not needed.
std::vector<std::string> storeFiles(const files::OpenFolder& store) {
  std::vector<std::string> names;
  for (const std::string& name : store.names()) {
    if (name == "LOCK" || name == "LOG" || name == "LOG.old") continue;
    const std::optional<files::EntryInfo> info = store.info(name);
    if (info && info->kind == files::EntryKind::File) names.push_back(name);
  }
  std::stable_partition(names.begin(), names.end(),
                        [](const std::string& name) { return name == "CURRENT"; });
  return names;
}

enum class Copied { Whole, Changed, Failed };

// Copies the store's files into `to`. Changed when the browser removed one
// of them meanwhile (a compaction): a later copy may be whole.
Copied copyStore(const std::string& folder, const std::string& to, std::string& problem) {
  const files::OpenFolder store = files::OpenFolder::open(folder);
  if (!store.valid()) {
    problem = "it could not be opened (" + files::errorWords(store.error()) + ")";
    return Copied::Failed;
  }
  for (const std::string& name : storeFiles(store)) {
    switch (files::copyToNewFile(platform::joinPath(store.path(), name),
                                 platform::joinPath(to, name))) {
      case files::CopyResult::Copied:
        break;
      case files::CopyResult::Missing:
        problem = "it changed while it was copied";
        return Copied::Changed;
      default:
        problem = "its file " + name + " could not be copied";
        return Copied::Failed;
    }
  }
  return Copied::Whole;
}

// Writes a new store of exactly these records at path (which must not
// exist), every write on the disk before it returns.
std::string writeStore(const std::string& path, const std::vector<LevelDbRecord>& records) {
  leveldb::Options options;
  options.create_if_missing = true;
  options.error_if_exists = true;
  options.info_log = silent();
  leveldb::DB* opened = nullptr;
  leveldb::Status status = leveldb::DB::Open(options, path, &opened);
  const std::unique_ptr<leveldb::DB> db(opened);
  leveldb::WriteBatch batch;
  for (const auto& [key, value] : records) batch.Put(key, value);
  leveldb::WriteOptions write;
  write.sync = true;
  if (status.ok()) status = db->Write(write, &batch);
  if (!status.ok()) return "it could not be rewritten (" + status.ToString() + ")";
  return "";
}

StoreRecords readCopyForSwap(const std::string& folder) {
  LevelDbRead read = readLevelDbCopy(folder);
  return {std::move(read.records), std::move(read.problem)};
}

// The store's own lock, the one the browser takes: held while the store is
// replaced or removed, so a browser that starts meanwhile cannot open it,
// and refused while the browser has it.
class StoreLock {
 public:
  explicit StoreLock(const std::string& folder) {
    status_ = leveldb::Env::Default()->LockFile(platform::joinPath(folder, "LOCK"), &lock_);
  }
  ~StoreLock() {
    if (lock_) leveldb::Env::Default()->UnlockFile(lock_);
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

  std::string problem() const {
    return status_.ok() ? "" : "it is in use by another program (" + status_.ToString() + ")";
  }

 private:
  leveldb::FileLock* lock_ = nullptr;
  leveldb::Status status_;
};

}  // namespace

bool levelDbEditable() {
  return true;
}

LevelDbRead readLevelDb(const std::string& folder) {
  LevelDbRead out;
  const std::unique_ptr<leveldb::DB> db = openStore(folder, true, out.problem);
  if (!db) return out;
  return readAll(*db);
}

LevelDbRead readLevelDbCopy(const std::string& folder) {
  LevelDbRead out;
  // A compaction of the running browser may remove a file between the
  // listing and its copy; a few tries see a whole store.
  for (int attempt = 0; attempt < 3; ++attempt) {
    out.problem.clear();
    const std::unique_ptr<files::PrivateFolder> copy =
        files::PrivateFolder::make("tracesweep-leveldb-");
    if (!copy) return {{}, "no private folder could be made for a copy of it"};
    const Copied copied = copyStore(folder, copy->path(), out.problem);
    if (copied == Copied::Changed) continue;
    if (copied == Copied::Failed) return out;
    // The copy is ours alone: the library may replay its log and write in it.
    const std::unique_ptr<leveldb::DB> db = openStore(copy->path(), false, out.problem);
    if (!db) continue;
    return readAll(*db);
  }
  return out;
}

LevelDbRecovery recoverLevelDbStore(const std::string& folder) {
  StoreRecovery settled = recoverStore(folder, readCopyForSwap);
  return {settled.putBack, std::move(settled.kept), std::move(settled.failed)};
}

LevelDbEdit rewriteLevelDb(const std::string& folder, const std::vector<LevelDbRecord>& keep) {
  const StoreLock lock(folder);
  if (std::string problem = lock.problem(); !problem.empty()) return {problem};
  return {replaceStore(
      folder, [&](const std::string& path) { return writeStore(path, keep); }, readCopyForSwap)};
}

LevelDbEdit removeLevelDb(const std::string& folder) {
  const std::optional<files::EntryInfo> info = files::infoOf(folder);
  if (!info) return {removeStore(folder)};
  if (info->kind != files::EntryKind::Folder) return {"it is not a folder"};
  const StoreLock lock(folder);
  if (std::string problem = lock.problem(); !problem.empty()) return {problem};
  return {removeStore(folder)};
}

}  // namespace browsers

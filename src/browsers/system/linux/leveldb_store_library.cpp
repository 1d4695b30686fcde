// Chromium's LevelDB stores read and rewritten through the LevelDB library
// (Debian's libleveldb).
#include <leveldb/db.h>
#include <leveldb/env.h>
#include <leveldb/write_batch.h>

#include <cstdarg>
#include <memory>

#include "browsers/cookies/leveldb_store.h"

namespace browsers {

namespace {

// LevelDB's own log names the keys a compaction stops at, the deleted ones
// too; and without a logger it would replace the browser's LOG with its own.
// Nothing is logged.
class SilentLogger : public leveldb::Logger {
 public:
  void Logv(const char*, std::va_list) override {}
};

// Opens an existing store; never creates one, and fails at once when another
// program (the browser) holds its lock.
std::unique_ptr<leveldb::DB> openStore(const std::string& folder, std::string& problem) {
  static SilentLogger silent;
  leveldb::Options options;
  options.create_if_missing = false;
  options.paranoid_checks = true;
  options.info_log = &silent;
  leveldb::DB* db = nullptr;
  const leveldb::Status status = leveldb::DB::Open(options, folder, &db);
  if (!status.ok()) {
    problem = "it could not be opened (" + status.ToString() + ")";
    return nullptr;
  }
  return std::unique_ptr<leveldb::DB>(db);
}

constexpr const char* kFresh = ".tracesweep-new";
constexpr const char* kOld = ".tracesweep-old";

// A rewrite cut short between its two renames left the store aside and none
// in its place: it goes back. What else a rewrite left (a new store never put
// in place, an old one whose place was taken) is not the browser's and goes.
void recoverInterruptedRewrite(const std::string& folder) {
  leveldb::Env* env = leveldb::Env::Default();
  const std::string fresh = folder + kFresh;
  const std::string old = folder + kOld;
  if (!env->FileExists(folder) && env->FileExists(old)) env->RenameFile(old, folder);
  if (env->FileExists(fresh)) leveldb::DestroyDB(fresh, leveldb::Options());
  if (env->FileExists(folder) && env->FileExists(old)) leveldb::DestroyDB(old, leveldb::Options());
}

}  // namespace

bool levelDbEditable() {
  return true;
}

LevelDbRead readLevelDb(const std::string& folder) {
  LevelDbRead out;
  recoverInterruptedRewrite(folder);
  const std::unique_ptr<leveldb::DB> db = openStore(folder, out.problem);
  if (!db) return out;
  leveldb::ReadOptions options;
  options.verify_checksums = true;
  const std::unique_ptr<leveldb::Iterator> it(db->NewIterator(options));
  for (it->SeekToFirst(); it->Valid(); it->Next())
    out.records.emplace_back(it->key().ToString(), it->value().ToString());
  if (!it->status().ok()) {
    out.records.clear();
    out.problem = "it could not be read (" + it->status().ToString() + ")";
  }
  return out;
}

LevelDbEdit rewriteLevelDb(const std::string& folder, const std::vector<LevelDbRecord>& keep) {
  LevelDbEdit out;
  leveldb::Env* env = leveldb::Env::Default();
  const std::string fresh = folder + kFresh;
  const std::string old = folder + kOld;
  recoverInterruptedRewrite(folder);
  {
    static SilentLogger silent;
    leveldb::Options options;
    options.create_if_missing = true;
    options.error_if_exists = true;
    options.info_log = &silent;
    leveldb::DB* opened = nullptr;
    leveldb::Status status = leveldb::DB::Open(options, fresh, &opened);
    const std::unique_ptr<leveldb::DB> db(opened);
    leveldb::WriteBatch batch;
    for (const auto& [key, value] : keep) batch.Put(key, value);
    leveldb::WriteOptions write;
    write.sync = true;
    if (status.ok()) status = db->Write(write, &batch);
    if (!status.ok()) {
      out.problem = "it could not be rewritten (" + status.ToString() + ")";
      return out;
    }
  }
  if (!env->RenameFile(folder, old).ok()) {
    leveldb::DestroyDB(fresh, leveldb::Options());
    out.problem = "it could not be replaced";
    return out;
  }
  if (!env->RenameFile(fresh, folder).ok()) {
    env->RenameFile(old, folder);
    leveldb::DestroyDB(fresh, leveldb::Options());
    out.problem = "it could not be replaced";
    return out;
  }
  // The old store's files, its own LOG and LOCK included, then its folder.
  std::vector<std::string> names;
  env->GetChildren(old, &names);
  for (const std::string& name : names)
    if (name != "." && name != "..") env->RemoveFile(old + "/" + name);
  env->RemoveDir(old);
  return out;
}

}  // namespace browsers

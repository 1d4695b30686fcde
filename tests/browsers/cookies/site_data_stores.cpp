#include "site_data_stores.h"

#include <gtest/gtest.h>
#include <leveldb/db.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "temp_dir.h"

namespace browsertest {

namespace fs = std::filesystem;

void makeLevelDb(const std::string& folder, const std::vector<Record>& records) {
  fs::create_directories(fs::path(folder).parent_path());
  leveldb::Options options;
  options.create_if_missing = true;
  leveldb::DB* opened = nullptr;
  ASSERT_TRUE(leveldb::DB::Open(options, folder, &opened).ok()) << folder;
  const std::unique_ptr<leveldb::DB> db(opened);
  for (const auto& [key, value] : records) ASSERT_TRUE(db->Put({}, key, value).ok());
}

std::vector<std::string> levelDbKeys(const std::string& folder) {
  leveldb::DB* opened = nullptr;
  const leveldb::Status status = leveldb::DB::Open(leveldb::Options(), folder, &opened);
  EXPECT_TRUE(status.ok()) << folder << ": " << status.ToString();
  if (!status.ok()) return {};
  const std::unique_ptr<leveldb::DB> db(opened);
  std::vector<std::string> keys;
  const std::unique_ptr<leveldb::Iterator> it(db->NewIterator({}));
  for (it->SeekToFirst(); it->Valid(); it->Next()) keys.push_back(it->key().ToString());
  return keys;
}

namespace {
std::string varint(std::uint64_t value) {
  std::string out;
  do {
    const auto low = static_cast<char>(value & 0x7f);
    value >>= 7;
    out += static_cast<char>(low | (value ? 0x80 : 0));
  } while (value);
  return out;
}
}  // namespace

std::string protoNumber(unsigned field, std::uint64_t value) {
  return varint(field << 3) + varint(value);
}

std::string protoBytes(unsigned field, const std::string& bytes) {
  return varint((field << 3) | 2) + varint(bytes.size()) + bytes;
}

void makeSimpleCacheFile(const std::string& path, const std::string& key) {
  fs::create_directories(fs::path(path).parent_path());
  std::string header(24, '\0');
  const std::uint64_t magic = 0xfcfb6d1ba7725c30ull;
  const std::uint32_t fields[] = {5, static_cast<std::uint32_t>(key.size()), 0, 0};
  for (int i = 0; i < 8; ++i) header[i] = static_cast<char>((magic >> (8 * i)) & 0xff);
  for (int f = 0; f < 4; ++f)
    for (int i = 0; i < 4; ++i)
      header[8 + 4 * f + i] = static_cast<char>((fields[f] >> (8 * i)) & 0xff);
  std::ofstream(path, std::ios::binary) << header << key << "importScripts('x.js');";
}

void makeDatabase(const std::string& path, const std::string& sql) {
  fs::create_directories(fs::path(path).parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

std::vector<std::string> filesNaming(const std::string& folder, const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_symlink() || !entry.is_regular_file()) continue;
    const std::string bytes = testsupport::readFile(entry.path());
    if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos)
      found.push_back(fs::relative(entry.path(), folder).string());
  }
  return found;
}

}  // namespace browsertest

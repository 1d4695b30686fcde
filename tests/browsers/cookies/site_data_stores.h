// Site-data stores of the browsers' own formats, made by the tests: LevelDB
// stores with their records, Chromium's protocol-buffer records, Simple
// Cache entries of worker scripts, and SQLite tables.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace browsertest {

using Record = std::pair<std::string, std::string>;

// A LevelDB store at folder holding these records, closed again.
void makeLevelDb(const std::string& folder, const std::vector<Record>& records);
// Every key of the store at folder, in order; the test fails when it cannot
// be read.
std::vector<std::string> levelDbKeys(const std::string& folder);

// A protocol-buffer field: a number (wire type 0) or bytes (wire type 2).
std::string protoNumber(unsigned field, std::uint64_t value);
std::string protoBytes(unsigned field, const std::string& bytes);

// A Simple Cache entry file ("<hash>_0") whose header holds key.
void makeSimpleCacheFile(const std::string& path, const std::string& key);

// Runs SQL on a database made anew at path; fails the test on an error.
void makeDatabase(const std::string& path, const std::string& sql);

// The files below folder whose bytes hold text (as bytes or UTF-16), relative.
std::vector<std::string> filesNaming(const std::string& folder, const std::string& text);

}  // namespace browsertest

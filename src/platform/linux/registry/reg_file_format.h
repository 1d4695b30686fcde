// The Windows .reg text format ("Windows Registry Editor Version 5.00"), read
// from and written to the keys of a RegistryTree. The reader treats its input
// as hostile: every line is bounds-checked, a line it cannot read is reported
// and skipped, and the rest of the file is still read. It reads a stream, one
// line at a time, so that what it holds is the keys read plus one line.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace platform::linux_os {

using RegKeys = std::map<std::string, RegKeyData>;  // by RegistryTree::normalise(path)

struct RegParseResult {
  RegKeys keys;
  std::vector<std::string> problems;  // the first few, as "line N: reason"
  std::size_t problemCount = 0;
  bool damaged() const { return problemCount != 0; }
};

inline constexpr std::size_t kMaxRegLine = 16u << 20;  // one logical line, joined

// Reads UTF-8 with or without a BOM, UTF-16LE with its BOM, LF or CRLF ends.
// Feed the file in pieces of any size, then finish() once.
class RegFileReader {
 public:
  RegFileReader();
  ~RegFileReader();
  RegFileReader(const RegFileReader&) = delete;
  RegFileReader& operator=(const RegFileReader&) = delete;

  void feed(std::string_view bytes);
  RegParseResult finish();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The same for a file held in memory.
RegParseResult parseRegFile(std::string_view file);

// UTF-8, LF line ends, keys in path order.
std::string formatRegFile(const RegKeys& keys);

// Adds the key at `subKey` (below HKEY_CURRENT_USER) and every missing parent;
// returns the normalised path, "" for the root.
std::string addRegKey(RegKeys& keys, std::string_view subKey);

// True when a key path or value name can be written to the file as it is.
bool isWritableRegName(std::string_view name);

}  // namespace platform::linux_os

// The shared list of file paths that EnumFiles fills: entry 0 is always empty,
// the files are entries 1 to lastIndex(). Every caller resets it first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace erasure {

struct FileList {
  std::vector<std::string> entries{std::string()};
  void reset() { entries.assign(1, std::string()); }
  std::int64_t lastIndex() const { return static_cast<std::int64_t>(entries.size()) - 1; }
  const std::string& operator[](std::int64_t index) const {
    return entries.at(static_cast<std::size_t>(index));
  }
};

}  // namespace erasure

// The preferences (hive) file as hostile input. Besides not crashing: read in
// pieces of any size it gives what it gives read at once, and what it read
// is written out as a file that reads back sound and the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/registry/reg_file_format.h"

using namespace platform::linux_os;

namespace {

bool sameKeys(const RegKeys& a, const RegKeys& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    if (i->first != j->first || i->second.path != j->second.path ||
        i->second.names != j->second.names || i->second.values.size() != j->second.values.size())
      return false;
    for (auto v = i->second.values.begin(), w = j->second.values.begin();
         v != i->second.values.end(); ++v, ++w)
      if (v->first != w->first || v->second.type != w->second.type ||
          v->second.data != w->second.data)
        return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  RegParseResult whole = parseRegFile(file);

  // Pieces of 1 to 7 bytes, their lengths taken from the input itself.
  RegFileReader reader;
  for (std::size_t at = 0; at < file.size();) {
    std::size_t piece = 1 + static_cast<unsigned char>(file[at]) % 7;
    reader.feed(file.substr(at, piece));
    at += piece;
  }
  RegParseResult pieces = reader.finish();
  if (pieces.problemCount != whole.problemCount || pieces.problems != whole.problems ||
      !sameKeys(pieces.keys, whole.keys))
    __builtin_trap();

  RegParseResult again = parseRegFile(formatRegFile(whole.keys));
  if (again.damaged() || !sameKeys(again.keys, whole.keys)) __builtin_trap();
  return 0;
}

// /proc/self/mountinfo as hostile input: every line is taken apart field by
// field; a malformed one is dropped.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/trash/mountinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace platform::linux_os;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const MountEntry& entry : ParseMountInfo(text)) {
    if (entry.mountPoint.size() > text.size() || entry.fsType.size() > text.size())
      __builtin_trap();
    entry.readOnly();
    IsPseudoFileSystem(entry.fsType);
  }
  if (UnescapeMountField(text).size() > text.size()) __builtin_trap();
  return 0;
}

// Chromium Simple Cache entry files, keys and file names as hostile input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/cache/chromium_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::linux_os::MemorySource source(bytes);
  if (auto url = platform::linux_os::parseChromiumEntry(source)) {
    if (!platform::linux_os::isListableUrl(*url)) __builtin_trap();
  }
  if (auto url = platform::linux_os::chromiumKeyUrl(bytes)) {
    if (url->data() < bytes.data() || url->data() + url->size() > bytes.data() + bytes.size())
      __builtin_trap();
  }
  platform::linux_os::simpleCacheHash(bytes);
  return 0;
}

// Firefox cache2 entry files and keys as hostile input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/cache/firefox_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::linux_os::MemorySource source(bytes);
  if (auto entry = platform::linux_os::parseFirefoxEntry(source)) {
    if (!platform::linux_os::isListableUrl(entry->url)) __builtin_trap();
  }
  if (auto uri = platform::linux_os::firefoxKeyUri(bytes)) {
    if (uri->data() < bytes.data() || uri->data() + uri->size() > bytes.data() + bytes.size())
      __builtin_trap();
  }
  return 0;
}

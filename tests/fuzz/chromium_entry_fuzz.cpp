// Chromium Simple Cache entry files, keys and file names as hostile input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "browsers/formats/chromium_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  browsers::MemorySource source(bytes);
  if (auto url = browsers::parseChromiumEntry(source)) {
    if (!browsers::isListableUrl(*url)) __builtin_trap();
  }
  if (auto url = browsers::chromiumKeyUrl(bytes)) {
    if (url->data() < bytes.data() || url->data() + url->size() > bytes.data() + bytes.size())
      __builtin_trap();
  }
  browsers::simpleCacheHash(bytes);
  return 0;
}

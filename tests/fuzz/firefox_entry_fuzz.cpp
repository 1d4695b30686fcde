// Firefox cache2 entry files and keys as hostile input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "browsers/formats/firefox_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  browsers::MemorySource source(bytes);
  if (auto entry = browsers::parseFirefoxEntry(source)) {
    if (!browsers::isListableUrl(entry->url)) __builtin_trap();
  }
  if (auto uri = browsers::firefoxKeyUri(bytes)) {
    if (uri->data() < bytes.data() || uri->data() + uri->size() > bytes.data() + bytes.size())
      __builtin_trap();
  }
  return 0;
}

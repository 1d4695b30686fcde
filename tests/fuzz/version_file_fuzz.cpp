// The downloaded version file as hostile input: its first field and the
// number read from it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/version_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string field = update::firstField(text);
  if (field.size() > text.size() || field.find_first_of("\r\n") != std::string::npos)
    __builtin_trap();
  if (auto version = update::parseVersion(field); version && !std::isfinite(*version))
    __builtin_trap();
  update::parseVersion(text);
  return 0;
}

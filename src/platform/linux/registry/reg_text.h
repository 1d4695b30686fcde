// Text conversions for the hive file. The registry holds strings as the bytes
// the "A" calls see (UTF-8 on Linux); the .reg format keeps REG_EXPAND_SZ and
// REG_MULTI_SZ data as UTF-16LE. Bytes that are not valid UTF-8 travel as the
// lone surrogates U+DC80..U+DCFF, so every byte string survives the round trip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linux_os {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesToUtf16le(const Bytes& bytes);
// An odd trailing byte is dropped.
Bytes utf16leToBytes(const Bytes& utf16);

bool isValidUtf8(std::string_view text);

// Case-insensitive (ASCII) comparison, as registry names compare.
std::string asciiLower(std::string_view text);

}  // namespace platform::linux_os

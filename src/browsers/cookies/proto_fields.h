// The top-level fields of a protocol-buffer message, as Chromium stores its
// records (the service-worker registrations, Cache Storage's index.txt): just
// enough to find a number or a string by its field number, bounds-checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace browsers {

struct ProtoField {
  std::uint32_t number = 0;
  std::uint64_t varint = 0;  // wire type 0
  std::string_view bytes;    // wire type 2
  bool isBytes = false;
};

// Every top-level field in order; nothing when the message is not one.
std::optional<std::vector<ProtoField>> protoFields(std::string_view message);

}  // namespace browsers

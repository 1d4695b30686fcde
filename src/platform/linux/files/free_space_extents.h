// Where a file's data lies on the device (FIEMAP), for the free-space fill:
// it tells whether the blocks written again after part of the fill was given
// back were new ones or the ones just given back.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::linux_os {

// Byte ranges on the device, [start, end).
struct DeviceRange {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
};

// The device ranges of bytes [from, to) of the open file fd, added to out;
// false where the file system does not say (no FIEMAP, data not yet placed,
// data kept inline).
bool mapFileRange(int fd, std::uint64_t from, std::uint64_t to, std::vector<DeviceRange>& out);

// Bytes of ranges that lie outside every range of excluded.
std::uint64_t bytesOutside(const std::vector<DeviceRange>& ranges,
                           std::vector<DeviceRange> excluded);

}  // namespace platform::linux_os

#include "platform/linux/files/free_space_extents.h"

#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace platform::linux_os {

namespace {

constexpr unsigned kExtentsAtOnce = 256;
constexpr std::uint32_t kNotPlaced = FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DELALLOC |
                                     FIEMAP_EXTENT_DATA_INLINE | FIEMAP_EXTENT_DATA_TAIL |
                                     FIEMAP_EXTENT_NOT_ALIGNED | FIEMAP_EXTENT_ENCODED;

struct FreeDeleter {
  void operator()(void* memory) const { std::free(memory); }
};

}  // namespace

bool mapFileRange(int fd, std::uint64_t from, std::uint64_t to, std::vector<DeviceRange>& out) {
  const std::size_t bytes = sizeof(fiemap) + kExtentsAtOnce * sizeof(fiemap_extent);
  std::unique_ptr<fiemap, FreeDeleter> map(static_cast<fiemap*>(std::calloc(1, bytes)));
  if (!map) return false;
  std::uint64_t at = from;
  while (at < to) {
    std::fill_n(reinterpret_cast<char*>(map.get()), bytes, '\0');
    map->fm_start = at;
    map->fm_length = to - at;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = kExtentsAtOnce;
    if (ioctl(fd, FS_IOC_FIEMAP, map.get()) != 0) return false;
    if (map->fm_mapped_extents == 0) return true;  // a hole to the end
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& extent = map->fm_extents[i];
      if (extent.fe_flags & kNotPlaced) return false;
      // Only the part inside [from, to): the first and last may reach out.
      const std::uint64_t begin = std::max<std::uint64_t>(extent.fe_logical, from);
      const std::uint64_t end = std::min<std::uint64_t>(extent.fe_logical + extent.fe_length, to);
      if (begin < end) {
        const std::uint64_t physical = extent.fe_physical + (begin - extent.fe_logical);
        out.push_back({physical, physical + (end - begin)});
      }
      at = extent.fe_logical + extent.fe_length;
      if (extent.fe_flags & FIEMAP_EXTENT_LAST) return true;
    }
  }
  return true;
}

std::uint64_t bytesOutside(const std::vector<DeviceRange>& ranges,
                           std::vector<DeviceRange> excluded) {
  std::sort(excluded.begin(), excluded.end(),
            [](const DeviceRange& a, const DeviceRange& b) { return a.start < b.start; });
  std::uint64_t outside = 0;
  for (const DeviceRange& range : ranges) {
    std::uint64_t at = range.start;
    // The first excluded range that ends after at; the ranges before it cannot overlap.
    auto next = std::partition_point(excluded.begin(), excluded.end(),
                                     [&](const DeviceRange& e) { return e.start < range.start; });
    if (next != excluded.begin()) --next;
    for (; next != excluded.end() && next->start < range.end && at < range.end; ++next) {
      if (next->end <= at) continue;
      if (next->start > at) outside += next->start - at;
      at = std::max(at, next->end);
    }
    if (at < range.end) outside += range.end - at;
  }
  return outside;
}

}  // namespace platform::linux_os

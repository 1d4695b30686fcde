// How one browser database row becomes a history record: the epochs of the
// two families and the flag word.
//
// Flag word of the records:
//   kFlagHidden  the browser hides the page from its history views (a frame,
//                a redirect source, an embedded resource);
//   kFlagTyped   the user typed the address at least once.
// Times: LastVisited is the row's last visit. LastUpdated is the same moment,
// since a browser's history row changes only when it is visited. Expires is
// when the browser itself would expire the row: Chromium-family browsers drop
// history after 90 days; Firefox-family browsers expire by database size, not
// by date, so their expiry is unknown and 0.
#pragma once

#include <cstdint>

namespace browsers::history {

inline constexpr std::uint32_t kFlagHidden = 0x1;
inline constexpr std::uint32_t kFlagTyped = 0x2;

inline constexpr std::int64_t kMicrosFrom1601To1970 = 11644473600000000;
inline constexpr std::int64_t kChromiumExpiryMicros = 90LL * 24 * 3600 * 1000000;

// Microseconds since 1601-01-01 UTC as 100-nanosecond intervals; 0 for what
// they cannot hold.
inline std::uint64_t fileTimeFrom1601Micros(std::int64_t micros) {
  if (micros <= 0 || micros > static_cast<std::int64_t>(INT64_MAX / 10)) return 0;
  return static_cast<std::uint64_t>(micros) * 10;
}

// Microseconds since 1970-01-01 UTC (Firefox) as 100-nanosecond intervals since 1601.
inline std::uint64_t fileTimeFromUnixMicros(std::int64_t micros) {
  if (micros < -kMicrosFrom1601To1970 || micros > INT64_MAX / 10 - kMicrosFrom1601To1970) return 0;
  return fileTimeFrom1601Micros(micros + kMicrosFrom1601To1970);
}

inline std::uint32_t historyFlags(bool hidden, bool typed) {
  return (hidden ? kFlagHidden : 0) | (typed ? kFlagTyped : 0);
}

}  // namespace browsers::history

// Reading one entry file of either format from its cache folder: only the
// few bytes that hold the key are read, never the body.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_access.h"
#include "platform/url_cache.h"

namespace browsers {

enum class EntryFormat { Firefox, Chromium };

struct EntryFileInfo {
  std::string url;
  std::uint64_t size = 0;
  std::uint32_t useCount = 0;
  platform::FileTime lastModified = 0;
  platform::FileTime expire = 0;
  platform::FileTime lastAccess = 0;
};

// Opens `name` inside the open folder without following a link and
// parses it; nothing for anything but a regular file holding a listable entry.
// damaged (when given) is set when the name is a regular file whose record
// cannot be read (empty, cut short, not of the format); it stays false for
// anything else that is not listed (links, other files, entries of other
// schemes).
std::optional<EntryFileInfo> readEntryFile(const platform::files::OpenFolder& folder,
                                           const std::string& name, EntryFormat format,
                                           bool* damaged = nullptr);

platform::FileTime fileTimeFromUnix(std::int64_t seconds);

}  // namespace browsers

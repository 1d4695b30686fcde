#include "browsers/cache/overwrite_once.h"

#include <algorithm>
#include <vector>

namespace browsers {

bool overwriteOnce(platform::OverwriteSession& session, const std::string& path) {
  platform::OverwriteOpen opened = session.open(path);
  if (opened.kind != platform::OverwriteKind::Opened || !opened.target) return false;
  platform::OverwriteTarget& target = *opened.target;
  std::int64_t length = 0;
  bool ok = target.length(length) == 0;
  const std::vector<unsigned char> ones(std::size_t{1} << 20, 0x01);
  for (std::int64_t at = 0; ok && at < length;) {
    const auto chunk = static_cast<std::size_t>(
        std::min<std::int64_t>(length - at, static_cast<std::int64_t>(ones.size())));
    ok = target.writeAt(at, ones.data(), chunk) == 0;
    at += static_cast<std::int64_t>(chunk);
  }
  ok = ok && target.syncData() == 0;
  target.close();
  return ok;
}

}  // namespace browsers

// Reading the URLs out of a Chromium-family Bookmarks file (JSON).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <nlohmann/json.hpp>

#include "platform/linux/history/chromium_history.h"

namespace platform::linux_os::history::chromium {

namespace {

constexpr off_t kMaxBookmarksSize = 256 * 1024 * 1024;

enum class ReadResult { Read, Missing, Failed };

ReadResult readFile(const std::string& path, std::string& content) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  struct stat st {};
  ReadResult result = ReadResult::Read;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxBookmarksSize) {
    result = ReadResult::Failed;
  } else {
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result = ReadResult::Failed;
        break;
      }
      content.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

std::optional<UrlSet> readBookmarkUrls(const std::string& profileDir) {
  std::string content;
  ReadResult read = readFile(profileDir + "/Bookmarks", content);
  if (read == ReadResult::Missing) return UrlSet{};
  if (read == ReadResult::Failed) return std::nullopt;
  const nlohmann::json document = nlohmann::json::parse(content, nullptr, false);
  if (!document.is_object() || !document.contains("roots") || !document["roots"].is_object())
    return std::nullopt;
  UrlSet urls;
  // Walked with a stack of our own: the nesting depth is the file's to choose.
  std::vector<const nlohmann::json*> pending;
  for (const auto& [name, root] : document["roots"].items()) pending.push_back(&root);
  while (!pending.empty()) {
    const nlohmann::json& node = *pending.back();
    pending.pop_back();
    if (!node.is_object()) continue;
    auto type = node.find("type");
    auto url = node.find("url");
    if (type != node.end() && *type == "url" && url != node.end() && url->is_string())
      urls.insert(url->get<std::string>());
    auto children = node.find("children");
    if (children != node.end() && children->is_array())
      for (const nlohmann::json& child : *children) pending.push_back(&child);
  }
  return urls;
}

}  // namespace platform::linux_os::history::chromium

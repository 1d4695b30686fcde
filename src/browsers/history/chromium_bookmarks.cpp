// Reading the URLs out of a Chromium-family Bookmarks file (JSON).
#include <nlohmann/json.hpp>

#include "browsers/history/chromium_history.h"
#include "browsers/history/profile_files.h"
#include "platform/paths.h"

namespace browsers::history::chromium {

std::optional<UrlSet> readBookmarkUrls(const std::string& profileDir) {
  std::string content;
  const FileRead read = readProfileFile(platform::pathBelow(profileDir, "Bookmarks"), content);
  if (read == FileRead::Missing) return UrlSet{};
  if (read == FileRead::Failed) return std::nullopt;
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

}  // namespace browsers::history::chromium

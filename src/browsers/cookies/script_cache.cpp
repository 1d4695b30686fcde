#include "browsers/cookies/script_cache.h"

#include <algorithm>
#include <optional>
#include <set>

#include "browsers/formats/byte_source.h"
#include "browsers/formats/chromium_entry.h"
#include "platform/paths.h"

namespace browsers {

namespace {

namespace files = platform::files;

constexpr std::uint32_t kMinVersion = 5;
constexpr std::uint32_t kMaxVersion = 9;
constexpr std::uint32_t kMaxKey = 64;  // a resource id is at most 19 digits

// The key in the header of one of an entry's files; nothing when the file
// is not an entry's or its key is not a resource id.
std::optional<std::string> resourceIdIn(const files::OpenFolder& folder, const std::string& name) {
  const files::ReadFile file = folder.openFile(name);
  if (!file.valid()) return std::nullopt;
  char header[kSimpleCacheHeaderSize];
  if (!file.readAt(0, header, sizeof header)) return std::nullopt;
  if (loadLittleEndian64(header) != kSimpleCacheMagic) return std::nullopt;
  const std::uint32_t version = loadLittleEndian32(header + 8);
  const std::uint32_t length = loadLittleEndian32(header + 12);
  if (version < kMinVersion || version > kMaxVersion || length == 0 || length > kMaxKey)
    return std::nullopt;
  std::string key(length, '\0');
  if (!file.readAt(kSimpleCacheHeaderSize, key.data(), length)) return std::nullopt;
  if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return key;
}

// The hash of an entry file's name: "<hash>_<stream>" or a doomed one,
// "todelete_<hash>_<...>".
std::optional<std::string> hashOfName(std::string_view name) {
  if (name.starts_with("todelete_")) name.remove_prefix(9);
  const std::optional<std::string_view> hash = simpleCacheHash(name);
  return hash ? std::optional<std::string>(*hash) : std::nullopt;
}

}  // namespace

ScriptEntries readScriptEntries(const std::string& path) {
  ScriptEntries out;
  out.scan = scanFolder(path);
  std::map<std::string, std::vector<std::string>> namesOf;  // hash -> its files
  for (const std::string& name : out.scan.names)
    if (const std::optional<std::string> hash = hashOfName(name)) namesOf[*hash].push_back(name);
  for (auto& [hash, names] : namesOf) {
    // The key is read from the stream files in this order, and that file
    // is removed last.
    std::optional<std::string> id;
    std::string carrier;
    for (const char* suffix : {"_0", "_1", "_s"}) {
      const std::string name = hash + suffix;
      if (std::find(names.begin(), names.end(), name) == names.end()) continue;
      if ((id = resourceIdIn(out.scan.folder, name))) {
        carrier = name;
        break;
      }
    }
    if (!id) continue;
    std::vector<std::string> ordered;
    for (const std::string& name : names)
      if (name != carrier) ordered.push_back(name);
    ordered.push_back(carrier);
    std::vector<std::string>& files = out.filesOf[*id];
    files.insert(files.end(), ordered.begin(), ordered.end());
  }
  return out;
}

FolderRemoval removeScriptEntry(const ScriptEntries& entries, const std::string& resourceId) {
  const auto it = entries.filesOf.find(resourceId);
  if (it == entries.filesOf.end()) return {};
  for (const std::string& name : it->second)
    if (const files::FileError error = entries.scan.folder.remove(name); error != 0)
      return {false,
              {platform::joinPath(entries.scan.folder.path(), name), files::errorWords(error)}};
  return {};
}

}  // namespace browsers

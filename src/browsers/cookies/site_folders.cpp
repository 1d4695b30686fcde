#include "browsers/cookies/site_folders.h"

#include <algorithm>
#include <optional>

#include "browsers/cookies/chromium_site_data.h"
#include "browsers/cookies/proto_fields.h"
#include "platform/paths.h"

namespace browsers {

namespace {

namespace files = platform::files;

constexpr std::size_t kMaxIndexFile = 1024 * 1024;
constexpr const char* kIndex = "index.txt";

FolderRemoval failed(const std::string& item, files::FileError error) {
  return {false, {item, files::errorWords(error)}};
}

}  // namespace

FolderScan scanFolder(const std::string& path) {
  FolderScan scan;
  scan.folder = files::OpenFolder::open(path);
  if (!scan.folder.valid()) {
    // A link or a file in the folder's place is no missing folder: what the
    // link leads to may hold data, and is never reached through it.
    const std::optional<files::EntryInfo> info = files::infoOf(path);
    if (info && info->kind == files::EntryKind::Link)
      scan.problem = "it is a link, which Tracesweep does not follow";
    else if (info || !files::isMissing(scan.folder.error()))
      scan.problem = "it could not be opened (" + files::errorWords(scan.folder.error()) + ")";
    return scan;
  }
  scan.names = scan.folder.names();
  return scan;
}

FolderRemoval removeFolderIn(const files::OpenFolder& parent, const std::string& name) {
  const files::TreeRemoval removal = parent.removeTree(name);
  if (removal.gone()) return {};
  return failed(removal.failedPath, removal.error);
}

std::string siteOfCacheStorageIndex(std::string_view index) {
  // Field 1 is the caches, whose names the site chose; the origin (2) or
  // storage key of newer versions follows them.
  if (const auto fields = protoFields(index)) {
    for (const ProtoField& field : *fields)
      if (field.number != 1 && field.isBytes)
        if (std::string site = siteOfStorageKey(field.bytes); !site.empty()) return site;
    return {};
  }
  return siteOfStorageKey(index);
}

CacheStorageFolders scanCacheStorage(const std::string& path) {
  CacheStorageFolders out;
  out.scan = scanFolder(path);
  for (const std::string& name : out.scan.names) {
    const std::optional<files::EntryInfo> info = out.scan.folder.info(name);
    if (!info || info->kind != files::EntryKind::Folder) continue;
    const files::OpenFolder folder = out.scan.folder.child(name);
    const std::string where = platform::joinPath(path, name);
    if (!folder.valid()) {
      out.unreadable.push_back({where, files::errorWords(folder.error())});
      continue;
    }
    files::ReadFile index = folder.openFile(kIndex);
    if (!index.valid()) {
      if (!files::isMissing(index.error()))
        out.unreadable.push_back(
            {platform::joinPath(where, kIndex), files::errorWords(index.error())});
      else if (folder.names().empty())
        out.empty.push_back(name);
      continue;
    }
    std::string bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(index.info().size, kMaxIndexFile)), '\0');
    if (index.info().size > kMaxIndexFile || !index.readAt(0, bytes.data(), bytes.size())) {
      out.unreadable.push_back({platform::joinPath(where, kIndex), "it could not be read"});
      continue;
    }
    if (std::string site = siteOfCacheStorageIndex(bytes); !site.empty())
      out.siteOf.emplace(name, std::move(site));
  }
  return out;
}

FolderRemoval removeCacheStorageFolder(const files::OpenFolder& caches, const std::string& name) {
  const std::string where = platform::joinPath(caches.path(), name);
  const files::OpenFolder folder = caches.child(name);
  if (!folder.valid())
    return files::isMissing(folder.error()) ? FolderRemoval{} : failed(where, folder.error());
  for (const std::string& entry : folder.names()) {
    if (entry == kIndex) continue;
    const FolderRemoval removal = removeFolderIn(folder, entry);
    if (!removal.gone) return removal;
  }
  // Only the index may be left now; a listing that missed something keeps it.
  for (const std::string& entry : folder.names())
    if (entry != kIndex) return {false, {platform::joinPath(where, entry), "it is still there"}};
  if (const files::FileError error = folder.remove(kIndex); error != 0)
    return failed(platform::joinPath(where, kIndex), error);
  return removeFolderIn(caches, name);
}

}  // namespace browsers

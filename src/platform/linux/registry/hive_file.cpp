#include "platform/linux/registry/hive_file.h"

#include <dirent.h>
#include <unistd.h>

#include <ctime>
#include <memory>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/registry/file_io.h"

namespace platform::linux_os {

std::string HiveFile::defaultPath() {
  return xdgConfigHome() + "/tracesweep/registry.reg";
}

// A write cut short by a crash leaves only its temporary file; the hive
// itself is whole, so the leftover can go.
void HiveFile::removeStaleTemporaries() const {
  std::string folder = folderOf(path_);
  std::string prefix = atomicTempPrefix(path_).substr(folder.size() + 1);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return;
  while (const dirent* item = readdir(dir.get())) {
    std::string name = item->d_name;
    if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
      unlink((folder + "/" + name).c_str());
  }
}

std::string HiveFile::setAsideName() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return path_ + ".bad-" + stamp;
}

HiveLoad HiveFile::load() const {
  HiveLoad result;
  removeStaleTemporaries();
  std::string text;
  switch (readWholeFile(path_, kMaxHiveFile, text)) {
    case ReadStatus::Missing:
      return result;
    case ReadStatus::Ok: {
      RegParseResult parsed = parseRegFile(text);
      result.keys = std::move(parsed.keys);
      if (!parsed.damaged()) return result;
      result.problems = std::move(parsed.problems);
      break;
    }
    case ReadStatus::NotRegular:
      result.problems.push_back("not a regular file");
      break;
    case ReadStatus::TooLarge:
      result.problems.push_back("larger than the hive limit");
      break;
    case ReadStatus::Failed:
      result.problems.push_back("cannot be read");
      break;
  }
  result.setAside = renameAside(path_, setAsideName());
  result.writable = !result.setAside.empty();
  result.salvaged = result.writable && !result.keys.empty();
  return result;
}

bool HiveFile::save(const RegKeys& keys) const {
  return ensureFolder(folderOf(path_), 0700) &&
         writeFileAtomically(path_, formatRegFile(keys), 0600);
}

}  // namespace platform::linux_os

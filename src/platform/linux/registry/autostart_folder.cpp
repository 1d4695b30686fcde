#include "platform/linux/registry/autostart_folder.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/linux/common/xdg_paths.h"
#include "platform/linux/registry/desktop_entry.h"
#include "platform/linux/registry/file_io.h"
#include "platform/linux/registry/reg_text.h"

namespace platform::linux_os {

namespace {

constexpr long kErrorInvalidData = 13;
constexpr long kErrorRegistryIo = 1016;
constexpr std::size_t kMaxDesktopFile = 64 * 1024;

long errnoResult() {
  return errno == EACCES || errno == EPERM || errno == EROFS ? ERROR_ACCESS_DENIED
                                                             : kErrorRegistryIo;
}

bool isOurFileName(const std::string& name) {
  const std::string suffix = ".desktop";
  return name.size() > suffix.size() && name.starts_with(kAutostartFilePrefix) &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool usableText(const std::string& text) {
  return isValidUtf8(text) && std::none_of(text.begin(), text.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
         });
}

}  // namespace

std::string AutostartFolder::folder() {
  return xdgConfigHome() + "/autostart";
}

std::vector<AutostartFolder::Entry> AutostartFolder::entries() {
  std::vector<Entry> found;
  std::string dir = folder();
  std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.c_str()), closedir);
  if (!handle) return found;
  while (const dirent* item = readdir(handle.get())) {
    std::string name = item->d_name;
    if (!isOurFileName(name)) continue;
    std::string text;
    if (readWholeFile(dir + "/" + name, kMaxDesktopFile, text, AtLink::Follow) != ReadStatus::Ok)
      continue;
    AutostartFileFields fields = readAutostartFile(text);
    if (fields.ours)
      found.push_back({fields.valueName, fields.data, dir + "/" + name, fields.hidden});
  }
  std::sort(found.begin(), found.end(),
            [](const Entry& a, const Entry& b) { return a.file < b.file; });
  return found;
}

long AutostartFolder::query(const std::string& valueName, RegValue& out) {
  std::string wanted = asciiLower(valueName);
  for (const Entry& entry : entries()) {
    // A hidden entry is one the desktop has been told to ignore.
    if (entry.hidden || asciiLower(entry.valueName) != wanted) continue;
    out.type = REG_SZ;
    out.data.assign(entry.data.begin(), entry.data.end());
    out.data.push_back(0);
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

long AutostartFolder::set(const std::string& valueName, const RegValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return kErrorInvalidData;
  std::string program(value.data.begin(), value.data.end());
  if (auto nul = program.find('\0'); nul != std::string::npos) program.resize(nul);
  if (program.empty() || !usableText(program) || !usableText(valueName)) return kErrorInvalidData;

  std::string dir = folder();
  if (!ensureFolder(dir, 0700)) return errnoResult();
  std::vector<Entry> same;
  for (Entry& entry : entries())
    if (asciiLower(entry.valueName) == asciiLower(valueName)) same.push_back(std::move(entry));
  std::string file;
  if (!same.empty()) {
    file = same.front().file;
  } else {
    std::string stem = dir + "/" + autostartFileStem(valueName);
    file = stem + ".desktop";
    for (int n = 2; access(file.c_str(), F_OK) == 0; ++n)
      file = stem + "-" + std::to_string(n) + ".desktop";
  }
  if (!writeFileAtomically(file, autostartFileText(valueName, program), 0644)) return errnoResult();
  for (std::size_t i = 1; i < same.size(); ++i) unlink(same[i].file.c_str());  // stray copies
  return ERROR_SUCCESS;
}

long AutostartFolder::remove(const std::string& valueName) {
  long result = ERROR_FILE_NOT_FOUND;
  for (const Entry& entry : entries()) {
    if (asciiLower(entry.valueName) != asciiLower(valueName)) continue;
    if (unlink(entry.file.c_str()) == 0)
      result = result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    else if (errno != ENOENT)
      result = errnoResult();
  }
  return result;
}

}  // namespace platform::linux_os

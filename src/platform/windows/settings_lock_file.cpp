#include "platform/windows/settings_lock_file.h"

#include "platform/paths.h"
#include "platform/windows/owned_handle.h"
#include "platform/windows/program_data_folder.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

SettingsSaved SettingsLockFile::exclusively(const std::function<SettingsSaved()>& apply) {
  if (held_) return apply();
  const std::string folder = folder_.empty() ? programDataFolder() : folder_;
  if (folder.empty()) return {"the local application data folder is not known"};
  const int made = SHCreateDirectoryExW(nullptr, toWide(folder).c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
    return {"the folder " + folder +
            " cannot be made: " + systemErrorWords(static_cast<std::uint32_t>(made))};
  const std::string path = joinPath(folder, "settings.lock");
  // Shared for reading and writing: the lock, not the opening, keeps others out.
  OwnedHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr));
  OVERLAPPED whole{};
  if (!file.valid() || !LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole))
    return {"the settings cannot be locked against other copies of the program (" + path +
            "): " + systemErrorWords(GetLastError())};
  held_ = true;
  SettingsSaved result;
  try {
    result = apply();
  } catch (...) {
    held_ = false;
    UnlockFileEx(file.get(), 0, 1, 0, &whole);
    throw;
  }
  held_ = false;
  UnlockFileEx(file.get(), 0, 1, 0, &whole);
  return result;
}

}  // namespace platform::windows_os

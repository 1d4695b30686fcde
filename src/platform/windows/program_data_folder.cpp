#include "platform/windows/program_data_folder.h"

#include "platform/paths.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

std::string programDataFolder() {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path)))
    folder = fromWide(path);
  CoTaskMemFree(path);
  return folder.empty() ? folder : joinPath(folder, "Tracesweep");
}

}  // namespace platform::windows_os

#include "platform/windows/windows_trash.h"

#include <vector>

#include "platform/windows/win32.h"

// After the Windows headers it builds on.
#include <sddl.h>

namespace platform::windows_os {

namespace {

// The user's SID as text ("S-1-5-21-..."); "" when it cannot be had.
std::string userSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  std::string text;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  char* sid = nullptr;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    text = sid;
    LocalFree(sid);
  }
  CloseHandle(token);
  return text;
}

}  // namespace

void WindowsTrash::emptyAll(ClearOutcome* /*outcome*/) {
  // No owner window, every drive, no question. An empty bin answers with a
  // failure, which is of no interest.
  SHEmptyRecycleBinA(nullptr, "", SHERB_NOCONFIRMATION);
}

std::vector<std::string> WindowsTrash::binFolders() {
  std::vector<std::string> folders;
  const std::string sid = userSid();
  if (sid.empty()) return folders;
  const DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) continue;
    const std::string bin = root + "$Recycle.Bin\\" + sid;
    const DWORD attributes = GetFileAttributesA(bin.c_str());
    // A real folder only: a bin that is a link leads somewhere else.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      folders.push_back(bin);
  }
  return folders;
}

}  // namespace platform::windows_os

// The program's private folders under the user's temporary folder: made new
// with access for this user alone, emptied and removed when done, and those
// a crash left removed by the next one made.
#include <vector>

#include "platform/file_access.h"
#include "platform/paths.h"
#include "platform/windows/no_follow.h"
// clang-format off
#include <sddl.h>  // after windows.h, which it needs
// clang-format on
#include "platform/windows/random_name.h"
#include "platform/windows/system_text.h"

namespace platform::files {

using windows_os::fromWide;
using windows_os::OwnedHandle;
using windows_os::toWide;

namespace {

constexpr std::int64_t kStaleAfterNs = 3600LL * 1000000000LL;

struct FoundName {
  std::string name;
  DWORD attributes = 0;
  ::FILETIME written{};
};

std::vector<FoundName> listFolder(const std::string& pattern) {
  std::vector<FoundName> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileExW(toWide(pattern).c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..")
      names.push_back({fromWide(found.cFileName), found.dwFileAttributes, found.ftLastWriteTime});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Removes a folder of ours and everything in it; a link in it goes itself,
// what it leads to is never entered.
void removeTree(const std::string& folder) {
  for (const FoundName& entry : listFolder(platform::joinPath(folder, "*"))) {
    const std::string path = platform::joinPath(folder, entry.name);
    const bool realFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (realFolder)
      removeTree(path);
    else
      windows_os::removeNameOnly(path);
  }
  RemoveDirectoryW(toWide(folder).c_str());
}

std::int64_t nowNs() {
  ::FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return windows_os::nsSince1970(now);
}

void removeStaleFolders(const std::string& temp, const std::string& prefix) {
  const std::int64_t cutoff = nowNs() - kStaleAfterNs;
  for (const FoundName& entry : listFolder(platform::joinPath(temp, prefix + "*"))) {
    const bool realFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    // The pattern also matches short (8.3) names: the long name decides.
    if (realFolder && entry.name.starts_with(prefix) &&
        windows_os::nsSince1970(entry.written) < cutoff)
      removeTree(platform::joinPath(temp, entry.name));
  }
}

// The SID of the user this program runs as, in its text form.
std::wstring currentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  OwnedHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return {};
  std::wstring sid = text;
  LocalFree(text);
  return sid;
}

// Full access for the user alone, inherited by what is made inside, none
// from the folder above.
PSECURITY_DESCRIPTOR userOnlyDescriptor() {
  const std::wstring sid = currentUserSid();
  if (sid.empty()) return nullptr;
  const std::wstring sddl = L"D:P(A;OICI;FA;;;" + sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return nullptr;
  return descriptor;
}

std::string tempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH + 1) return {};
  return platform::withoutTrailingSeparators(fromWide(buffer));
}

}  // namespace

std::unique_ptr<PrivateFolder> PrivateFolder::make(const std::string& prefix) {
  const std::string temp = tempFolder();
  if (temp.empty()) return nullptr;
  removeStaleFolders(temp, prefix);
  PSECURITY_DESCRIPTOR descriptor = userOnlyDescriptor();
  if (!descriptor) return nullptr;
  SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
  std::unique_ptr<PrivateFolder> made;
  for (int attempt = 0; attempt < 100 && !made; ++attempt) {
    std::string path = platform::joinPath(temp, prefix + windows_os::randomCharacters(8));
    // Fails when the name is there, whatever it is: nothing planted is used.
    if (CreateDirectoryW(toWide(path).c_str(), &security))
      made.reset(new PrivateFolder(std::move(path)));
    else if (GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  LocalFree(descriptor);
  return made;
}

PrivateFolder::~PrivateFolder() {
  removeTree(path_);
}

}  // namespace platform::files

#include "test_files.h"

#include <cstring>
#include <vector>

#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

// After the Windows headers it builds on.
#include <winioctl.h>

namespace windows_test {

namespace {

// The mount-point form of REPARSE_DATA_BUFFER (ntifs.h is not in the SDK).
struct MountPointBuffer {
  DWORD ReparseTag;
  WORD ReparseDataLength;
  WORD Reserved;
  WORD SubstituteNameOffset;
  WORD SubstituteNameLength;
  WORD PrintNameOffset;
  WORD PrintNameLength;
  WCHAR PathBuffer[1];
};

std::string localAppData() {
  char buffer[MAX_PATH + 1] = {};
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
  return buffer;
}

void makeFolders(const std::string& path) {
  for (std::size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

}  // namespace

TestFolder::TestFolder(const std::string& name)
    : path_(localAppData() + "\\tracesweep-tests\\" + name + "-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64())) {
  removeTree(path_);
  makeFolders(path_);
}

TestFolder::~TestFolder() {
  removeTree(path_);
}

std::string TestFolder::write(const std::string& relative, const std::string& content) const {
  const std::string file = path_ + "\\" + relative;
  makeFolders(file.substr(0, file.find_last_of('\\')));
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
  }
  return file;
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readAll(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "";
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(h);
  return text;
}

bool underWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

namespace {

// The host's path of a Windows path, through Wine's own export.
std::string hostPath(const std::string& path) {
  using Convert = char* (*)(const WCHAR*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return "";
  char* host = convert(platform::windows_os::toWide(path).c_str());
  if (!host) return "";
  std::string result = host;
  HeapFree(GetProcessHeap(), 0, host);
  return result;
}

// Waits up to five seconds for a path to come (or go): a program of the
// host that Wine started may still run when Wine says it ended.
bool settles(const std::string& path, bool present) {
  for (int i = 0; i < 100 && exists(path) != present; ++i) Sleep(50);
  return exists(path) == present;
}

// Wine starts programs of the host too.
bool runHost(const std::string& program, std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool makeHostLink(const std::string& link, const std::string& target) {
  const std::string from = hostPath(target), to = hostPath(link);
  if (from.empty() || to.empty() || exists(link)) return false;
  runHost("Z:\\bin\\ln", "/bin/ln -s \"" + from + "\" \"" + to + "\"");
  return settles(link, true);
}

}  // namespace

bool makeJunction(const std::string& link, const std::string& target) {
  if (underWine()) return makeHostLink(link, target);
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  const std::wstring substitute = platform::windows_os::toWide("\\??\\" + target);
  const std::wstring print = platform::windows_os::toWide(target);
  const std::size_t subBytes = substitute.size() * sizeof(WCHAR);
  const std::size_t printBytes = print.size() * sizeof(WCHAR);
  const std::size_t pathBytes = subBytes + sizeof(WCHAR) + printBytes + sizeof(WCHAR);
  std::vector<unsigned char> raw(offsetof(MountPointBuffer, PathBuffer) + pathBytes, 0);
  auto* buffer = reinterpret_cast<MountPointBuffer*>(raw.data());
  buffer->ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  buffer->ReparseDataLength = static_cast<WORD>(8 + pathBytes);
  buffer->SubstituteNameOffset = 0;
  buffer->SubstituteNameLength = static_cast<WORD>(subBytes);
  buffer->PrintNameOffset = static_cast<WORD>(subBytes + sizeof(WCHAR));
  buffer->PrintNameLength = static_cast<WORD>(printBytes);
  std::memcpy(buffer->PathBuffer, substitute.data(), subBytes);
  std::memcpy(reinterpret_cast<unsigned char*>(buffer->PathBuffer) + subBytes + sizeof(WCHAR),
              print.data(), printBytes);
  HANDLE h = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, raw.data(),
                                  static_cast<DWORD>(raw.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(h);
  return ok != FALSE;
}

void removeTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") removeTree(path + "\\" + name);
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
  }
  if (RemoveDirectoryA(path.c_str()) || DeleteFileA(path.c_str())) return;
  // A link of Wine's host that leads to a folder goes only from the host side.
  const std::string host = underWine() ? hostPath(path) : "";
  if (!host.empty() && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    if (runHost("Z:\\bin\\rm", "/bin/rm -f \"" + host + "\"")) settles(path, false);
}

}  // namespace windows_test

#include "platform/windows/run_log_file.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/paths.h"
#include "platform/windows/owned_handle.h"
#include "platform/windows/program_data_folder.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

// 0, or why the folder could not be made.
DWORD ensureFolder(const std::string& folder) {
  const int made = SHCreateDirectoryExW(nullptr, toWide(folder).c_str(), nullptr);
  return made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS || made == ERROR_FILE_EXISTS
             ? 0
             : static_cast<DWORD>(made);
}

bool writeAll(HANDLE file, std::string_view data) {
  while (!data.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 20));
    if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

}  // namespace

RunLogFile::RunLogFile(std::string folder, std::int64_t rotateAt)
    : folder_(std::move(folder)), rotateAt_(rotateAt) {}

std::string RunLogFile::path() const {
  std::string folder = folder_;
  if (folder.empty()) folder = programDataFolder();
  if (folder.empty()) return {};
  return joinPath(folder, "clear.log");
}

LogAddition RunLogFile::add(const std::string& report) {
  const std::string log = path();
  if (log.empty()) return {"the local application data folder could not be found"};
  auto failed = [&](const char* step, DWORD code) {
    return LogAddition{std::string(step) + " " + log + ": " + systemErrorWords(code)};
  };
  if (const DWORD error = ensureFolder(folderOf(log)); error != 0)
    return failed("could not make the folder of", error);
  const std::wstring wideLog = toWide(log);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(wideLog.c_str(), GetFileExInfoStandard, &data) &&
      !(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
      (static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) >= rotateAt_) {
    // clear.log.3 goes, every other file moves one up, clear.log starts anew.
    for (int i = kKeptFiles - 1; i >= 1; --i)
      MoveFileExW(toWide(log + "." + std::to_string(i)).c_str(),
                  toWide(log + "." + std::to_string(i + 1)).c_str(), MOVEFILE_REPLACE_EXISTING);
    MoveFileExW(wideLog.c_str(), toWide(log + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  // Never through a link planted in place of the log.
  OwnedHandle file(CreateFileW(wideLog.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return failed("could not open", GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info))
    return failed("could not read", GetLastError());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return {log + " is a link, which is not followed"};
  // Appended under a lock, so that two copies' entries never interleave and
  // the length before this entry is still the end when it is cut back.
  OVERLAPPED whole{};
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
    return failed("could not lock", GetLastError());
  LARGE_INTEGER before{};
  const std::string entry = report.empty() || report.back() == '\n' ? report : report + "\n";
  bool written = GetFileSizeEx(file.get(), &before) &&
                 SetFilePointerEx(file.get(), before, nullptr, FILE_BEGIN);
  // A short write (a full disk) would leave half an entry for the next one
  // to be glued to: the entry is written whole or not at all.
  written = written && writeAll(file.get(), entry) && FlushFileBuffers(file.get());
  const DWORD writeError = written ? 0 : GetLastError();
  if (!written && SetFilePointerEx(file.get(), before, nullptr, FILE_BEGIN) &&
      SetEndOfFile(file.get()))
    FlushFileBuffers(file.get());
  UnlockFileEx(file.get(), 0, MAXDWORD, MAXDWORD, &whole);
  if (!written) return failed("could not write to", writeError);
  return {};
}

}  // namespace platform::windows_os

#include "platform/windows/parent_console.h"

#include <io.h>

#include <cstdio>
#include <iostream>

#include "platform/windows/win32.h"

namespace platform::windows_os {

namespace {

// A file or a pipe the starter gave as the stream: kept as it is.
bool redirected(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

void useParentConsole() {
  const bool outRedirected = redirected(STD_OUTPUT_HANDLE);
  const bool errRedirected = redirected(STD_ERROR_HANDLE);
  const bool inRedirected = redirected(STD_INPUT_HANDLE);
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  // The C streams were set up at start, with no console to write to.
  if (!outRedirected && std::freopen("CONOUT$", "w", stdout))
    SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))));
  if (!errRedirected && std::freopen("CONOUT$", "w", stderr))
    SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr))));
  if (!inRedirected && std::freopen("CONIN$", "r", stdin))
    SetStdHandle(STD_INPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin))));
  // The C++ streams write through the C ones; clear any failure met before.
  std::cout.clear();
  std::cerr.clear();
  std::cin.clear();
}

}  // namespace platform::windows_os

// tracesweep.com, the console companion of tracesweep.exe on Windows. A
// console runs "tracesweep" as the .com before the .exe of the same name and,
// because this one is a console program, waits for it: the output comes
// before the next prompt and the exit status reaches %ERRORLEVEL%. Without
// arguments it starts the window program beside it and ends.
#include <cstdlib>
#include <iostream>
#include <string>

#include "cli/cli.h"
#include "platform/windows/system_text.h"
#include "platform/windows/win32.h"

namespace {

// tracesweep.exe in the folder of this program.
std::wstring windowProgram() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  const std::size_t dot = path.rfind(L'.');
  return (dot == std::wstring::npos ? path : path.substr(0, dot)) + L".exe";
}

int startWindowProgram() {
  std::wstring program = windowProgram();
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &start, &process)) {
    const DWORD error = GetLastError();
    std::cerr << "tracesweep: " << platform::windows_os::fromWide(program.c_str())
              << " could not be started: " << platform::windows_os::systemErrorWords(error) << "\n";
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!cli::wantsCommandLine(argc)) return startWindowProgram();
  const int status = cli::runCommandLine(argc, argv);
  std::cout.flush();
  return status;
}

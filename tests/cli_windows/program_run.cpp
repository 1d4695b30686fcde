#include "program_run.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// The build names the program by a path of the build machine; under Wine
// its root is the drive Z:.
std::string programPath() {
  std::string path = TRACESWEEP_PROGRAM;
  if (!path.empty() && path.front() == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string readAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

}  // namespace

ProgramRun runProgram(const std::string& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  EXPECT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 0));
  EXPECT_TRUE(CreatePipe(&errRead, &errWrite, &inherit, 0));
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  start.hStdOutput = outWrite;
  start.hStdError = errWrite;
  std::string commandLine = "\"" + programPath() + "\" " + arguments;
  PROCESS_INFORMATION process{};
  ProgramRun run;
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &start, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  EXPECT_TRUE(started) << commandLine << ": error " << GetLastError();
  if (started) {
    // stderr is small; stdout is read to its end first so the program never blocks.
    run.out = readAll(outRead);
    run.err = readAll(errRead);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return run;
}

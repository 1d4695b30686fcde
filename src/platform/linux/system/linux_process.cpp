#include "platform/linux/system/linux_process.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/linux/common/posix_files.h"
#include "platform/linux/common/xdg_paths.h"

namespace platform::linux_os {

bool LinuxProcess::previousInstance() {
  if (!asked_) {
    asked_ = true;
    lock_.acquireAnywhere();
  }
  return lock_.state() == InstanceLock::State::HeldByAnother;
}

std::string LinuxProcess::programFile() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return "";
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    if (buffer.size() >= 65536) return "";
    buffer.resize(buffer.size() * 2);
  }
}

std::string LinuxProcess::programFolder() {
  const std::string file = programFile();  // absolute, or "" when unknown
  return file.empty() ? "" : folderOf(file);
}

std::string LinuxProcess::programName() {
  std::string file = programFile();
  std::string name = platform::fileNameOf(file);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string LinuxProcess::userDataFolder() {
  std::string folder = xdgDataHome() + "/tracesweep";
  ensureFolder(folder, 0700);
  return folder;
}

std::string LinuxProcess::workingFolder() {
  std::string buffer(4096, '\0');
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

bool LinuxProcess::errorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace platform::linux_os

// The running program: its identity and the one-copy-per-user rule.
#pragma once

#include <string>

namespace platform {

class Process {
 public:
  virtual ~Process() = default;
  // True when another copy runs for this user. The first call takes the
  // per-user lock, which lasts until the process ends.
  virtual bool previousInstance() = 0;
  // The folder of the running program file, without a trailing separator.
  virtual std::string programFolder() = 0;
  // The program file's name without extension.
  virtual std::string programName() = 0;
  // The program file's full path as the system names it (with its extension,
  // and the system's own separator).
  virtual std::string programPath() { return programFolder() + "/" + programName(); }
  // A per-user folder the program may write to (created on demand).
  virtual std::string userDataFolder() = 0;
  // The folder the program was started in, absolute; "" when it cannot be read.
  virtual std::string workingFolder() = 0;
  // True when the error stream goes to a terminal or console a person
  // watches (progress lines are then worth drawing).
  virtual bool errorIsTerminal() = 0;
};

}  // namespace platform

// The log of clearing runs on Linux: clear.log in $XDG_STATE_HOME/tracesweep
// (~/.local/state/tracesweep), appended one run at a time and rotated to
// clear.log.1 ... clear.log.3 as it grows, so the last runs are always kept.
#pragma once

#include <cstdint>
#include <string>

#include "platform/run_log.h"

namespace platform::linux_os {

class RunLogFile : public RunLog {
 public:
  // folder "" means $XDG_STATE_HOME/tracesweep, read from the environment at
  // each report.
  explicit RunLogFile(std::string folder = "", std::int64_t rotateAt = 64 * 1024);
  // Appends the report as one entry, written whole or not at all (a failed
  // or short write is cut back); false when it could not be written.
  LogAddition add(const std::string& report) override;
  // The log file a report goes to.
  std::string path() const;

  static constexpr int kKeptFiles = 3;  // besides clear.log

 private:
  std::string folder_;
  std::int64_t rotateAt_;
};

}  // namespace platform::linux_os

// The log of clearing runs on Windows: clear.log in %LOCALAPPDATA%\Tracesweep,
// appended one run at a time and rotated to clear.log.1 ... clear.log.3 as it
// grows, so the last runs are always kept (as on Linux).
#pragma once

#include <cstdint>
#include <string>

#include "platform/run_log.h"

namespace platform::windows_os {

class RunLogFile : public RunLog {
 public:
  // folder "" means %LOCALAPPDATA%\Tracesweep, read at each report.
  explicit RunLogFile(std::string folder = "", std::int64_t rotateAt = 64 * 1024);
  // Appends the report as one entry, written whole or not at all (a failed
  // or short write is cut back); false when it could not be written.
  LogAddition add(const std::string& report) override;
  // The log file a report goes to; "" when the folder is unknown.
  std::string path() const;

  static constexpr int kKeptFiles = 3;  // besides clear.log

 private:
  std::string folder_;
  std::int64_t rotateAt_;
};

}  // namespace platform::windows_os

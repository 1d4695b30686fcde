// Where the report of every clearing run is kept, for the user to read later.
#pragma once

#include <string>

namespace platform {

class RunLog {
 public:
  virtual ~RunLog() = default;
  // Adds one run's report. False when it could not be written.
  virtual bool add(const std::string& report) = 0;
};

}  // namespace platform

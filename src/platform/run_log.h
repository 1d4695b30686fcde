// Where the report of every clearing run is kept, for the user to read later.
#pragma once

#include <string>

namespace platform {

// Whether one run's entry reached the log: problem is "" when it did, else
// why not in plain words ("the disk is full").
struct LogAddition {
  std::string problem;
  bool added() const { return problem.empty(); }
};

class RunLog {
 public:
  virtual ~RunLog() = default;
  // Adds one run's report, whole or not at all.
  virtual LogAddition add(const std::string& report) = 0;
};

}  // namespace platform

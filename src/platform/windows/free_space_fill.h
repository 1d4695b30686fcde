// The free-space wipe on Windows. The chosen folder is opened once and held;
// its drive is surveyed and reserved by a named mutex, so a second run on the
// same drive is refused. Each pass fills the free space through files opened
// without sharing and with delete-on-close: whatever ends the program (Cancel,
// a crash, TerminateProcess), the system deletes them when their handles
// close, and the space is free again.
#pragma once

#include <memory>
#include <string>

#include "platform/free_space.h"
#include "platform/windows/free_space_survey.h"

namespace platform::windows_os {

class WindowsFreeSpaceWipe : public FreeSpaceWipe {
 public:
  // Opens the folder and surveys its drive. The result always exists;
  // drive().refusal says when nothing can be written there.
  static std::unique_ptr<WindowsFreeSpaceWipe> open(const std::string& folder);

  const FreeSpaceDrive& drive() const override { return volume_.drive; }
  FreeSpaceResult run(const FreeSpaceOptions& options) override;
  double measureSpeed() override;

 private:
  explicit WindowsFreeSpaceWipe(SurveyedVolume volume) : volume_(std::move(volume)) {}

  SurveyedVolume volume_;
};

}  // namespace platform::windows_os

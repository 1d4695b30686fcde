// One clearing run of chosen areas, for every front end that is not a
// window (the command line; the windows' automatic runs go through their
// pages' lists, which call the same areas): each area's plan, then, unless
// it is a preview, the same plan applied; one report of what happened.
#pragma once

#include <functional>
#include <vector>

#include "core/run_report.h"
#include "core/stored_choices.h"
#include "core/stores.h"
#include "platform/system.h"

namespace core {

class Clearing {
 public:
  Clearing(platform::System& system, const Stores& stores) : system_(system), stores_(stores) {}

  // onArea is told as each area begins.
  RunReport run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                const std::function<void(Area)>& onArea = {});

 private:
  platform::ClearOutcome cookies(bool preview, const ClearChoices& choices);
  platform::ClearOutcome cache(bool preview, const ClearChoices& choices);
  platform::ClearOutcome history(bool preview);

  platform::System& system_;
  const Stores& stores_;
};

// The words that show a run's step, e.g. "Clearing cache contents..."; a
// preview says it lists ("Listing cache...").
std::string stepText(Area area, bool preview);

}  // namespace core

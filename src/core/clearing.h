// One clearing run of chosen areas, for every front end: the command line,
// the automatic runs at start and exit, and the pages' buttons. Each area's
// plan (made here, or the one a page's list holds), then, unless it is a
// preview, the same plan applied; one report of what happened.
#pragma once

#include <functional>
#include <vector>

#include "core/area_sources.h"
#include "core/run_report.h"
#include "core/stored_choices.h"
#include "erase/file_list.h"
#include "platform/system.h"

namespace core {

// The plans a front end already holds (a page's list), applied as they are
// instead of plans made for the run; an area without one is planned here.
struct GivenPlans {
  const CookiePlan* cookies = nullptr;
  // The entries of the cookie plan to delete; gone, when given, receives one
  // flag per chosen entry.
  std::vector<std::size_t> chosenCookies = {};
  std::vector<bool>* cookiesGone = nullptr;
  const CachePlan* cache = nullptr;
  // The temporary folder's listing, kept by the caller; none: one of the run's own.
  erasure::FileList* tempFiles = nullptr;
};

// What a run tells as it goes: each area as it begins, each step of it.
struct RunWatch {
  std::function<void(Area)> onArea = {};
  std::function<void(Area, std::int64_t done, std::int64_t total)> progress = {};
};

class Clearing {
 public:
  Clearing(platform::System& system, AreaSources& sources) : system_(system), sources_(sources) {}

  // Plans every chosen area itself.
  RunReport run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                const std::function<void(Area)>& onArea = {});
  // Applies the given plans, planning the other areas.
  RunReport run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                const GivenPlans& given, const RunWatch& watch = {});

  // One area, as a page's button clears it.
  platform::ClearOutcome cookies(bool preview, const ClearChoices& choices,
                                 const GivenPlans& given = {}, const Progress& progress = {});
  platform::ClearOutcome cache(bool preview, const ClearChoices& choices,
                               const GivenPlans& given = {}, const Progress& progress = {});
  // The history's plan, applied; plan receives what the stores still hold
  // afterwards (what a preview would list), for a list that shows them.
  platform::ClearOutcome history(bool preview, const Progress& progress = {},
                                 HistoryPlan* left = nullptr);

 private:
  platform::System& system_;
  AreaSources& sources_;
};

// The words that show a run's step, e.g. "Clearing cache contents..."; a
// preview says it lists ("Listing cache...").
std::string stepText(Area area, bool preview);

}  // namespace core

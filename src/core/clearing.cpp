#include "core/clearing.h"

#include <algorithm>
#include <numeric>

#include "areas/system_areas.h"

namespace core {

namespace {

std::vector<std::size_t> everyIndex(std::size_t count) {
  std::vector<std::size_t> all(count);
  std::iota(all.begin(), all.end(), std::size_t{0});
  return all;
}

}  // namespace

std::string stepText(Area area, bool preview) {
  if (preview) return "Listing " + std::string(areaName(area)) + "...";
  switch (area) {
    case Area::Cache:
      return "Clearing cache contents...";
    case Area::Cookies:
      return "Deleting coookies...";
    case Area::History:
      return "Clearing History...";
    case Area::Trash:
      return "Emptying Recycle Bin...";
    case Area::Temp:
      return "Deleting temp files...";
  }
  return {};
}

platform::ClearOutcome Clearing::cookies(bool preview, const ClearChoices& choices,
                                         const GivenPlans& given, const Progress& progress) {
  const CookieArea area = sources_.cookieArea();
  CookiePlan planned;
  if (!given.cookies) planned = sources_.planCookies();
  const CookiePlan& plan = given.cookies ? *given.cookies : planned;
  const std::vector<std::size_t> chosen =
      given.cookies ? given.chosenCookies : everyIndex(plan.entries.size());
  if (preview) {
    CookiePlan shown;
    shown.folder = plan.folder;
    shown.unreached = plan.unreached;  // what the clearing would leave and tell
    for (std::size_t k : chosen) shown.entries.push_back(plan.entries[k]);
    return CookieArea::preview(shown);
  }
  return area.apply(plan, chosen, CookieOptions{choices.secure}, progress, given.cookiesGone);
}

platform::ClearOutcome Clearing::cache(bool preview, const ClearChoices& choices,
                                       const GivenPlans& given, const Progress& progress) {
  const CacheArea area = sources_.cacheArea();
  CachePlan planned;
  if (!given.cache) planned = area.plan();
  const CachePlan& plan = given.cache ? *given.cache : planned;
  const CacheOptions options{choices.deleteCachedPasswords, choices.secure};
  if (preview) return area.preview(plan, options);
  return area.apply(plan, everyIndex(plan.entries.size()), options, true, progress);
}

// The system's own store, where it is cleared, is opened once; one that
// cannot be opened is a failure beside what the sources did.
platform::ClearOutcome Clearing::history(bool preview, const Progress& progress,
                                         HistoryPlan* left) {
  platform::ClearOutcome outcome;
  const HistoryArea area = sources_.historyArea();
  if (!sources_.historyProblem().empty())
    outcome.fail("the history of visited sites", sources_.historyProblem());
  const HistoryPlan plan = area.plan();
  outcome.add(preview ? HistoryArea::preview(plan) : area.apply(plan, progress));
  if (left) *left = preview ? plan : area.plan();
  return outcome;
}

RunReport Clearing::run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                        const std::function<void(Area)>& onArea) {
  return run(areas, preview, choices, GivenPlans{}, RunWatch{onArea, {}});
}

RunReport Clearing::run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                        const GivenPlans& given, const RunWatch& watch) {
  RunReport report;
  report.preview = preview;
  report.started = timeNowText();
  for (Area area : kAllAreas) {
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) continue;
    if (watch.onArea) watch.onArea(area);
    Progress progress;
    if (watch.progress)
      progress = [&watch, area](std::int64_t done, std::int64_t total) {
        watch.progress(area, done, total);
      };
    platform::ClearOutcome outcome;
    switch (area) {
      case Area::Cache:
        outcome = cache(preview, choices, given, progress);
        break;
      case Area::Cookies:
        outcome = cookies(preview, choices, given, progress);
        break;
      case Area::History:
        outcome = history(preview, progress);
        break;
      case Area::Trash:
        outcome = preview ? areas::PreviewRecycleBin(system_, choices.secure)
                          : areas::EmptyRecycleBin(system_, choices.secure);
        break;
      case Area::Temp: {
        erasure::FileList own;
        erasure::FileList& files = given.tempFiles ? *given.tempFiles : own;
        outcome = preview ? areas::PreviewTempFolder(system_, files)
                          : areas::ClearTempFolder(system_, files);
        break;
      }
    }
    report.areas.push_back({area, std::move(outcome)});
  }
  return report;
}

}  // namespace core

#include "core/clearing.h"

#include <algorithm>
#include <numeric>

#include "areas/system_areas.h"
#include "core/cache_area.h"
#include "core/cookie_area.h"
#include "core/cookie_folder_source.h"
#include "core/history_area.h"
#include "core/url_cache_source.h"
#include "core/url_history_source.h"
#include "erase/file_list.h"

namespace core {

namespace {

constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The shell's cookie folder, read without a window: a value that cannot be
// read is a failure of the plan, not a message box.
std::string readCookieFolder(platform::Registry& registry, std::string& problem) {
  platform::HKEY key = 0;
  long result = registry.RegOpenKey(platform::HKEY_CURRENT_USER, kShellFoldersKey, key);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (result == platform::ERROR_SUCCESS)
    result = registry.RegQueryValueEx(key, "Cookies", &type, nullptr, &size);
  std::string text(size, '\0');
  if (result == platform::ERROR_SUCCESS && size > 0)
    result = registry.RegQueryValueEx(key, "Cookies", &type,
                                      reinterpret_cast<std::uint8_t*>(text.data()), &size);
  registry.RegCloseKey(key);
  if (result != platform::ERROR_SUCCESS) {
    problem = registry.FormatMessage(result);
    return {};
  }
  text.resize(std::min<std::size_t>(size, text.size()));
  if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

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

platform::ClearOutcome Clearing::cookies(bool preview, const ClearChoices& choices) {
  std::string problem;
  CookieFolderSource folder(
      system_.files, [this, &problem] { return readCookieFolder(system_.registry, problem); });
  platform::SettingsStore& settings = system_.settings;
  const bool system = stores_.withSystemStore(stores_.cookies);
  const CookieArea area(
      sourcesWith<CookieSource>(system ? &folder : nullptr, stores_.cookies),
      SiteKeeping{[&settings, naming = stores_.naming] { return readKeepList(settings, naming); },
                  stores_.naming});
  CookiePlan plan = area.plan();
  if (!problem.empty()) plan.unreached.push_back({"the cookie folder", problem});
  if (preview) return CookieArea::preview(plan);
  return area.apply(plan, everyIndex(plan.entries.size()), CookieOptions{choices.secure});
}

platform::ClearOutcome Clearing::cache(bool preview, const ClearChoices& choices) {
  UrlCacheSource legacy(system_.urlCache);
  const bool system = stores_.withSystemStore(stores_.cache);
  const CacheArea area(sourcesWith<CacheSource>(system ? &legacy : nullptr, stores_.cache));
  const CachePlan plan = area.plan();
  const CacheOptions options{choices.deleteCachedPasswords, choices.secure};
  if (preview) return area.preview(plan, options);
  return area.apply(plan, everyIndex(plan.entries.size()), options, true);
}

// The system's own store, where it is cleared, is opened for this run alone;
// one that cannot be opened is a failure beside what the sources did.
platform::ClearOutcome Clearing::history(bool preview) {
  std::unique_ptr<platform::UrlHistoryStg> store;
  std::unique_ptr<UrlHistorySource> legacy;
  platform::ClearOutcome unopened;
  if (stores_.withSystemStore(stores_.history)) {
    store = system_.history.create();
    if (store)
      legacy = std::make_unique<UrlHistorySource>(*store);
    else
      unopened.fail("the history of visited sites",
                    "the history of visited sites cannot be reached");
  }
  if (!legacy && stores_.history.empty()) return unopened;
  const HistoryArea area(sourcesWith<HistorySource>(legacy.get(), stores_.history));
  const HistoryPlan plan = area.plan();
  platform::ClearOutcome outcome = preview ? HistoryArea::preview(plan) : area.apply(plan);
  outcome.add(unopened);
  return outcome;
}

RunReport Clearing::run(const std::vector<Area>& areas, bool preview, const ClearChoices& choices,
                        const std::function<void(Area)>& onArea) {
  RunReport report;
  report.preview = preview;
  report.started = timeNowText();
  for (Area area : kAllAreas) {
    if (std::find(areas.begin(), areas.end(), area) == areas.end()) continue;
    if (onArea) onArea(area);
    platform::ClearOutcome outcome;
    switch (area) {
      case Area::Cache:
        outcome = cache(preview, choices);
        break;
      case Area::Cookies:
        outcome = cookies(preview, choices);
        break;
      case Area::History:
        outcome = history(preview);
        break;
      case Area::Trash:
        outcome = preview ? areas::PreviewRecycleBin(system_, choices.secure)
                          : areas::EmptyRecycleBin(system_, choices.secure);
        break;
      case Area::Temp: {
        erasure::FileList files;
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

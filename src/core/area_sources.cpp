#include "core/area_sources.h"

#include <algorithm>

namespace core {

namespace {

constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

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
    if (std::size_t nul = problem.find('\0'); nul != std::string::npos) problem.resize(nul);
    return {};
  }
  text.resize(std::min<std::size_t>(size, text.size()));
  if (std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

AreaSources::AreaSources(platform::System& system, const Stores& stores,
                         std::function<void(const std::string&)> tellFolderProblem)
    : system_(system),
      stores_(stores),
      tellFolderProblem_(std::move(tellFolderProblem)),
      folder_(system.files,
              [this] {
                std::string problem;
                std::string folder = readCookieFolder(system_.registry, problem);
                if (!problem.empty() && tellFolderProblem_)
                  tellFolderProblem_(problem);
                else
                  folderProblem_ = problem;
                return folder;
              }),
      urlCache_(system.urlCache) {}

AreaSources::~AreaSources() = default;

CookieArea AreaSources::cookieArea() {
  platform::SettingsStore& settings = system_.settings;
  return CookieArea(
      sourcesWith<CookieSource>(stores_.withSystemStore(stores_.cookies) ? &folder_ : nullptr,
                                stores_.cookies),
      SiteKeeping{[&settings, naming = stores_.naming] { return readKeepList(settings, naming); },
                  stores_.naming});
}

CookiePlan AreaSources::planCookies(const std::function<bool()>& keepListing) {
  folderProblem_.clear();
  CookiePlan plan = cookieArea().plan(keepListing);
  if (!folderProblem_.empty()) plan.unreached.push_back({"the cookie folder", folderProblem_});
  return plan;
}

CacheArea AreaSources::cacheArea() {
  return CacheArea(sourcesWith<CacheSource>(
      stores_.withSystemStore(stores_.cache) ? &urlCache_ : nullptr, stores_.cache));
}

HistoryArea AreaSources::historyArea() {
  if (!historyOpened_ && stores_.withSystemStore(stores_.history)) {
    historyOpened_ = true;
    historyStore_ = system_.history.create();
    if (historyStore_)
      urlHistory_ = std::make_unique<UrlHistorySource>(*historyStore_);
    else
      historyProblem_ = "the history of visited sites cannot be reached";
  }
  return HistoryArea(sourcesWith<HistorySource>(urlHistory_.get(), stores_.history));
}

}  // namespace core

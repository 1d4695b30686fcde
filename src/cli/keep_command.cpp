#include "cli/keep_command.h"

#include <ostream>

namespace cli {

namespace {

// The typed sites as the list holds them; false after telling each that
// cannot be one.
bool keptSites(const std::vector<std::string>& typed, const core::SiteNaming& naming,
               std::vector<std::string>& sites, std::ostream& err) {
  bool ok = true;
  for (const std::string& text : typed) {
    const core::KeptSite kept = core::keptSiteOf(text, naming);
    if (kept.ok()) {
      sites.push_back(kept.site);
    } else {
      err << "tracesweep: " << kept.error << "\n";
      ok = false;
    }
  }
  return ok;
}

int importFromBrowsers(core::KeepList& list, const core::Stores& stores, std::ostream& out,
                       std::ostream& err) {
  if (!stores.keptByBrowsers) {
    err << "tracesweep: the browsers' own lists cannot be read on this system\n";
    return 1;
  }
  const core::BrowserKeptSites found = stores.keptByBrowsers();
  const std::vector<std::string> added = core::addKeptSites(list, found.names, stores.naming);
  for (const std::string& site : added) out << site << " is now on the keep list\n";
  out << added.size() << (added.size() == 1 ? " site" : " sites")
      << " added from the browsers' own lists of sites always allowed to keep cookies\n";
  for (const std::string& problem : found.problems) err << "tracesweep: " << problem << "\n";
  return found.problems.empty() ? 0 : 1;
}

}  // namespace

int runKeep(const Options& options, platform::SettingsStore& settings, const core::Stores& stores,
            std::ostream& out, std::ostream& err) {
  core::KeepList list = core::readKeepList(settings);
  int status = 0;
  switch (options.command) {
    case Command::Kept:
      for (const std::string& site : list.sites()) out << site << "\n";
      return 0;
    case Command::Keep:
    case Command::Unkeep: {
      std::vector<std::string> sites;
      if (!keptSites(options.sites, stores.naming, sites, err)) {
        err << "tracesweep: the keep list was not changed\n";
        return 1;
      }
      const bool keep = options.command == Command::Keep;
      for (const std::string& site : sites) {
        if (keep)
          out << site << (list.add(site) ? " is now" : " was already") << " on the keep list\n";
        else
          out << site << (list.remove(site) ? " is no longer" : " was not")
              << " on the keep list\n";
      }
      break;
    }
    case Command::KeepFromBrowsers:
      status = importFromBrowsers(list, stores, out, err);
      break;
    default:
      return 1;
  }
  core::writeKeepList(settings, list);
  out.flush();
  return status;
}

}  // namespace cli

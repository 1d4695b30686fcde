#include "cli/keep_command.h"

#include <ostream>
#include <sstream>

namespace cli {

namespace {

// Each entry of the list that is no site, with what that means.
void tellUnreadable(const core::KeepList& list, std::ostream& err) {
  for (const core::UnreadEntry& entry : list.unreadable())
    err << "tracesweep: on the keep list, " << entry.reason << "; " << core::unreadEntryEffect()
        << " (tracesweep --unkeep '" << entry.text << "')\n";
}

int printList(platform::SettingsStore& settings, const core::SiteNaming& naming, std::ostream& out,
              std::ostream& err) {
  const core::KeepList list = core::readKeepList(settings, naming);
  for (const std::string& site : list.sites()) out << site << "\n";
  out.flush();
  tellUnreadable(list, err);
  return 0;
}

// What a command does to the list as it is stored when the change is made;
// what it has to say is kept until the change is saved.
struct ListChange {
  Command command;
  std::vector<core::KeptSite> typed;   // --keep, --unkeep: the sites as the list holds them
  std::vector<std::string> typedText;  // ... and as typed
  std::vector<std::string> names;      // --keep-from-browsers: the browsers' names
  const core::SiteNaming& naming;
  std::ostringstream said;
  std::vector<std::string> notOnList;  // --unkeep: texts that are neither site nor entry
  std::size_t added = 0;
  core::KeepList after;

  void operator()(core::KeepList& list) {
    said.str("");
    notOnList.clear();
    switch (command) {
      case Command::Keep:
        for (const core::KeptSite& site : typed)
          said << site.site << (list.add(site.site) ? " is now" : " was already")
               << " on the keep list\n";
        break;
      case Command::Unkeep:
        unkeep(list);
        break;
      default: {
        const std::vector<std::string> sites = core::addKeptSites(list, names, naming);
        for (const std::string& site : sites) said << site << " is now on the keep list\n";
        added = sites.size();
        break;
      }
    }
    after = list;
  }

  // Whole or not at all: a text that is no site must be an unreadable entry.
  void unkeep(core::KeepList& list) {
    for (std::size_t i = 0; i < typed.size(); ++i) {
      if (typed[i].ok()) continue;
      core::KeepList probe = list;
      if (!probe.removeUnreadable(typedText[i])) notOnList.push_back(typed[i].error);
    }
    if (!notOnList.empty()) return;
    for (std::size_t i = 0; i < typed.size(); ++i) {
      if (typed[i].ok()) {
        said << typed[i].site << (list.remove(typed[i].site) ? " is no longer" : " was not")
             << " on the keep list\n";
      } else if (list.removeUnreadable(typedText[i])) {
        said << "'" << typedText[i] << "' is no longer on the keep list\n";
      }
    }
  }
};

}  // namespace

int runKeep(const Options& options, platform::SettingsStore& settings, const core::Stores& stores,
            std::ostream& out, std::ostream& err) {
  const core::SiteNaming& naming = stores.naming;
  if (options.command == Command::Kept) return printList(settings, naming, out, err);
  if (options.command != Command::Keep && options.command != Command::Unkeep &&
      options.command != Command::KeepFromBrowsers)
    return 1;

  // What takes time or may be refused is done before the settings are held.
  ListChange change{options.command, {}, {}, {}, naming, {}, {}, 0, {}};
  core::BrowserKeptSites found;
  if (options.command == Command::KeepFromBrowsers) {
    if (!stores.keptByBrowsers) {
      err << "tracesweep: the browsers' own lists cannot be read on this system\n";
      return 1;
    }
    found = stores.keptByBrowsers();
    change.names = found.names;
  } else {
    bool refused = false;
    for (const std::string& text : options.sites) {
      change.typed.push_back(core::keptSiteOf(text, naming));
      change.typedText.push_back(text);
      // An --unkeep of an entry that is no site is judged against the list.
      if (!change.typed.back().ok() && options.command == Command::Keep) {
        err << "tracesweep: " << change.typed.back().error << "\n";
        refused = true;
      }
    }
    if (refused) {
      err << "tracesweep: the keep list was not changed\n";
      return 1;
    }
  }

  const platform::SettingsSaved saved =
      core::changeKeepList(settings, naming, [&change](core::KeepList& list) { change(list); });
  if (!change.notOnList.empty() || !saved.ok()) {
    for (const std::string& error : change.notOnList) err << "tracesweep: " << error << "\n";
    if (!saved.ok()) err << "tracesweep: the keep list could not be saved: " << saved.error << "\n";
    err << "tracesweep: the keep list was not changed\n";
    return 1;
  }
  out << change.said.str();
  if (options.command == Command::KeepFromBrowsers)
    out << change.added << (change.added == 1 ? " site" : " sites")
        << " added from the browsers' own lists of sites always allowed to keep cookies\n";
  out.flush();
  tellUnreadable(change.after, err);
  for (const std::string& problem : found.problems) err << "tracesweep: " << problem << "\n";
  return found.problems.empty() ? 0 : 1;
}

}  // namespace cli

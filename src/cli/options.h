// The command line: what the user asked for, or why the request is wrong.
// Parsed before anything else starts, so a usage error starts nothing.
#pragma once

#include <string>
#include <vector>

#include "core/run_report.h"

namespace cli {

enum class Command {
  Desktop,  // no arguments: the tray program
  Help,
  Version,
  Clear,
  Wipe,
  WipeFreeSpace,
  Keep,              // --keep SITE...: add to the keep list
  Unkeep,            // --unkeep SITE...: take off the keep list
  Kept,              // --kept: print the keep list
  KeepFromBrowsers,  // --keep-from-browsers: add the sites the browsers keep
};

struct Options {
  Command command = Command::Desktop;
  // --clear
  std::vector<core::Area> areas;
  bool chosen = false;  // --clear chosen: the areas ticked on the General page
  bool dryRun = false;
  bool secure = false;
  bool json = false;
  // --wipe
  std::vector<std::string> paths;
  int passes = 3;
  bool yesReally = false;
  // --wipe-free-space (its folder is paths[0]; --passes and --json apply too)
  bool includeReserved = false;
  // --keep, --unkeep: the sites as typed
  std::vector<std::string> sites;
};

struct ParseResult {
  Options options;
  std::string error;  // a usage error in plain words; empty when none
  bool ok() const { return error.empty(); }
};

// Parses argv (argv[0] is the program). Options may come in any order, with
// "--name value" or "--name=value"; "--" ends the options.
ParseResult parseOptions(int argc, char** argv);

}  // namespace cli

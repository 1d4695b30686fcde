#include "cli/options.h"

#include <getopt.h>

#include <optional>
#include <set>
#include <string_view>

namespace cli {

namespace {

enum OptionId {
  kHelp = 'h',
  kVersion = 'V',
  kClear = 256,
  kDryRun,
  kSecure,
  kJson,
  kWipe,
  kPasses,
  kYesReally,
  kWipeFreeSpace,
  kIncludeReserved,
  kKeep,
  kUnkeep,
  kKept,
  kKeepFromBrowsers,
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"clear", required_argument, nullptr, kClear},
    {"dry-run", no_argument, nullptr, kDryRun},
    {"secure", no_argument, nullptr, kSecure},
    {"json", no_argument, nullptr, kJson},
    {"wipe", no_argument, nullptr, kWipe},
    {"passes", required_argument, nullptr, kPasses},
    {"yes-really", no_argument, nullptr, kYesReally},
    {"wipe-free-space", no_argument, nullptr, kWipeFreeSpace},
    {"include-reserved", no_argument, nullptr, kIncludeReserved},
    {"keep", optional_argument, nullptr, kKeep},
    {"unkeep", optional_argument, nullptr, kUnkeep},
    {"kept", no_argument, nullptr, kKept},
    {"keep-from-browsers", no_argument, nullptr, kKeepFromBrowsers},
    {nullptr, 0, nullptr, 0},
};

// Parses "cookies,cache" into areas; "all" is every area, "chosen" the
// General page's choice. The error in words, or "".
std::string parseAreas(std::string_view list, Options& options) {
  if (list.empty()) return "--clear needs a list of areas";
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    std::string_view name =
        list.substr(start, comma == std::string_view::npos ? list.npos : comma - start);
    if (name == "all") {
      options.areas.assign(core::kAllAreas.begin(), core::kAllAreas.end());
    } else if (name == "chosen") {
      options.chosen = true;
    } else if (std::optional<core::Area> area = core::areaNamed(name)) {
      options.areas.push_back(*area);
    } else {
      return "unknown area '" + std::string(name) +
             "' (the areas are cookies, cache, history, temp, trash, all and chosen)";
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (options.chosen && !options.areas.empty())
    return "'chosen' stands alone: it is the areas ticked on the General page";
  return {};
}

// The rules between the options, once all are read.
std::string checkCombination(const Options& o, const std::set<int>& used) {
  if (o.command == Command::Help || o.command == Command::Version) return {};
  const bool clear = o.command == Command::Clear, wipe = o.command == Command::Wipe;
  const bool freeSpace = o.command == Command::WipeFreeSpace;
  for (const option& known : kLongOptions) {
    if (!known.name || used.count(known.val) == 0) continue;
    const int id = known.val;
    if (id == kJson && !clear && !freeSpace)
      return "--json belongs to --clear and --wipe-free-space";
    if ((id == kDryRun || id == kSecure) && !clear)
      return "--" + std::string(known.name) + " belongs to --clear";
    if (id == kPasses && !wipe && !freeSpace)
      return "--passes belongs to --wipe and --wipe-free-space";
    if (id == kYesReally && !wipe) return "--yes-really belongs to --wipe";
    if (id == kIncludeReserved && !freeSpace)
      return "--include-reserved belongs to --wipe-free-space";
  }
  const bool keep = o.command == Command::Keep, unkeep = o.command == Command::Unkeep;
  if ((keep || unkeep) && o.sites.empty())
    return std::string(keep ? "--keep" : "--unkeep") + " needs at least one site";
  if (wipe && o.paths.empty()) return "--wipe needs at least one file or folder";
  if (freeSpace && o.paths.size() != 1)
    return "--wipe-free-space takes one folder: the drive that holds it is wiped";
  for (const std::string& path : o.paths)
    if (path.empty()) return "an empty name is not a file or folder";
  if (!wipe && !freeSpace && !o.paths.empty())
    return "unexpected argument '" + o.paths.front() + "'";
  return {};
}

}  // namespace

ParseResult parseOptions(int argc, char** argv) {
  ParseResult result;
  Options& o = result.options;
  std::set<int> used;
  auto setCommand = [&](Command command, const char* name) {
    if (o.command != Command::Desktop && o.command != command && o.command != Command::Help &&
        command != Command::Help) {
      result.error = std::string(name) + " cannot be combined with another command";
      return;
    }
    if (o.command != Command::Help) o.command = command;
  };
  optind = 0;  // a fresh scan, also when called again
  opterr = 0;  // the errors are ours to word
  while (result.ok()) {
    int id = getopt_long(argc, argv, "+:hV", kLongOptions, nullptr);
    if (id == -1) break;
    switch (id) {
      case kHelp:
        o.command = Command::Help;
        break;
      case kVersion:
        if (o.command != Command::Help) o.command = Command::Version;
        break;
      case kClear:
        setCommand(Command::Clear, "--clear");
        if (result.ok()) result.error = parseAreas(optarg, o);
        break;
      case kWipe:
        setCommand(Command::Wipe, "--wipe");
        break;
      case kWipeFreeSpace:
        setCommand(Command::WipeFreeSpace, "--wipe-free-space");
        break;
      case kKeep:
        setCommand(Command::Keep, "--keep");
        if (optarg) o.sites.push_back(optarg);
        break;
      case kUnkeep:
        setCommand(Command::Unkeep, "--unkeep");
        if (optarg) o.sites.push_back(optarg);
        break;
      case kKept:
        setCommand(Command::Kept, "--kept");
        break;
      case kKeepFromBrowsers:
        setCommand(Command::KeepFromBrowsers, "--keep-from-browsers");
        break;
      case kIncludeReserved:
        o.includeReserved = true;
        break;
      case kPasses: {
        std::string_view value(optarg);
        if (value == "1" || value == "3" || value == "7")
          o.passes = value[0] - '0';
        else
          result.error = "--passes takes 1, 3 or 7, not '" + std::string(value) + "'";
        break;
      }
      case kDryRun:
        o.dryRun = true;
        break;
      case kSecure:
        o.secure = true;
        break;
      case kJson:
        o.json = true;
        break;
      case kYesReally:
        o.yesReally = true;
        break;
      case ':':
        result.error = std::string(argv[optind - 1]) + " needs a value";
        break;
      default:
        result.error = "unknown option '" +
                       (optopt > 0 && optopt < 256 ? std::string("-") + static_cast<char>(optopt)
                                                   : std::string(argv[optind - 1])) +
                       "'";
        break;
    }
    used.insert(id);
    // Plain arguments between options are the files of --wipe (or the sites
    // of --keep and --unkeep).
    while (result.ok() && optind < argc && argv[optind][0] != '-')
      o.paths.push_back(argv[optind++]);
  }
  if (!result.ok()) return result;
  for (int i = optind; i < argc; ++i) o.paths.push_back(argv[i]);
  // The plain arguments of --keep and --unkeep are its sites.
  if (o.command == Command::Keep || o.command == Command::Unkeep) {
    o.sites.insert(o.sites.end(), o.paths.begin(), o.paths.end());
    o.paths.clear();
  }
  // One pass is what a drive's free space gets unless more are asked for.
  if (o.command == Command::WipeFreeSpace && used.count(kPasses) == 0) o.passes = 1;
  result.error = checkCombination(o, used);
  return result;
}

}  // namespace cli

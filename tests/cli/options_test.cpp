#include "cli/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace cli {
namespace {

ParseResult parse(std::initializer_list<const char*> args) {
  std::vector<std::string> text{"tracesweep"};
  text.insert(text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& t : text) argv.push_back(t.data());
  argv.push_back(nullptr);
  return parseOptions(static_cast<int>(text.size()), argv.data());
}

TEST(Options, WhatEachCommandLineAsksFor) {
  EXPECT_EQ(parse({}).options.command, Command::Desktop);
  EXPECT_EQ(parse({"--help"}).options.command, Command::Help);
  EXPECT_EQ(parse({"-h"}).options.command, Command::Help);
  EXPECT_EQ(parse({"--version"}).options.command, Command::Version);
  // Help wins over anything it is given with, even a command.
  EXPECT_EQ(parse({"--clear", "all", "--help"}).options.command, Command::Help);

  ParseResult clear = parse({"--json", "--clear=cookies,temp", "--dry-run", "--secure"});
  ASSERT_TRUE(clear.ok()) << clear.error;
  EXPECT_EQ(clear.options.command, Command::Clear);
  EXPECT_EQ(clear.options.areas, (std::vector<core::Area>{core::Area::Cookies, core::Area::Temp}));
  EXPECT_TRUE(clear.options.dryRun && clear.options.secure && clear.options.json);
  EXPECT_EQ(parse({"--clear", "all"}).options.areas.size(), core::kAllAreas.size());
  EXPECT_TRUE(parse({"--clear", "chosen"}).options.chosen);

  ParseResult wipe = parse({"--wipe", "a", "--passes", "7", "b c", "--yes-really", "--", "-d"});
  ASSERT_TRUE(wipe.ok()) << wipe.error;
  EXPECT_EQ(wipe.options.command, Command::Wipe);
  EXPECT_EQ(wipe.options.paths, (std::vector<std::string>{"a", "b c", "-d"}));
  EXPECT_EQ(wipe.options.passes, 7);
  EXPECT_TRUE(wipe.options.yesReally);
  EXPECT_EQ(parse({"--wipe", "a"}).options.passes, 3);
}

TEST(Options, EveryUsageErrorIsNamed) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"-x"}, "unknown option '-x'"},
      {{"--clear"}, "--clear needs a value"},
      {{"--clear", "cookies,biscuits"}, "unknown area 'biscuits'"},
      {{"--clear", "cookies,,cache"}, "unknown area ''"},
      {{"--clear", "chosen,cache"}, "'chosen' stands alone"},
      {{"--dry-run"}, "--dry-run belongs to --clear"},
      {{"--wipe", "f", "--json"}, "--json belongs to --clear"},
      {{"--clear", "all", "--passes", "3"}, "--passes belongs to --wipe"},
      {{"--wipe", "f", "--passes", "2"}, "--passes takes 1, 3 or 7, not '2'"},
      {{"--wipe"}, "--wipe needs at least one file or folder"},
      {{"--clear", "all", "--wipe", "f"}, "cannot be combined"},
      {{"--wipe", ""}, "an empty name is not a file or folder"},
      {{"stray"}, "unexpected argument 'stray'"},
      {{"--clear", "temp", "stray"}, "unexpected argument 'stray'"},
  };
  for (const auto& [args, expected] : cases) {
    std::vector<std::string> text{"tracesweep"};
    text.insert(text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& t : text) argv.push_back(t.data());
    argv.push_back(nullptr);
    ParseResult result = parseOptions(static_cast<int>(text.size()), argv.data());
    EXPECT_NE(result.error.find(expected), std::string::npos)
        << "args: " << text.back() << " error: '" << result.error << "'";
  }
}

}  // namespace
}  // namespace cli

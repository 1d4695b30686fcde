// The report of one clearing run, whoever started it (the start-up or exit
// run, or the command line): what each area removed and what it left, why.
// The same report goes to the terminal, to scripts as JSON, to the log, and
// in short to the one tray notification of a run that left something.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clear_outcome.h"

namespace core {

// The areas a run clears, in the order it clears them.
enum class Area { Cache, Cookies, History, Trash, Temp };
inline constexpr std::array<Area, 5> kAllAreas = {Area::Cache, Area::Cookies, Area::History,
                                                  Area::Trash, Area::Temp};

// "cache", "cookies", "history", "trash", "temp".
const char* areaName(Area area);
std::optional<Area> areaNamed(std::string_view name);

struct AreaOutcome {
  Area area = Area::Cache;
  platform::ClearOutcome outcome;
};

struct RunReport {
  std::string trigger;  // "start", "exit" or "command line"
  bool preview = false;
  std::string started;  // "2026-12-07 13:02:11 UTC"
  std::vector<AreaOutcome> areas;
  // Why the run's entry could not be added to the log; "" when it was, or
  // when nothing is logged (a preview). The report says it and is not ok.
  std::string logProblem;

  bool ok() const;
  std::int64_t failureCount() const;
};

// One line per area with its counts and bytes, then one line per item left
// with its reason; with listItems (a preview), every item too, and every
// item kept by design with its reason; without, each reason of the kept
// items once, with their count.
std::string reportText(const RunReport& report, bool listItems);

// "log: this report could not be added to the log: <why>".
std::string logProblemText(const RunReport& report);

// The report as the log keeps it: a heading line, then reportText.
std::string logEntry(const RunReport& report);

// The text of the tray notification for a run that left something: how many
// items in which areas, and the first reason.
std::string notificationText(const RunReport& report);

// "0 bytes", "512 bytes", "1.5 KiB", "3.2 MiB" ...
std::string byteText(std::int64_t bytes);

// The time now in the report's form, "2026-12-07 13:02:11 UTC".
std::string timeNowText();

}  // namespace core

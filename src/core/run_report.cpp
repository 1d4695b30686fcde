#include "core/run_report.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace core {

namespace {

constexpr std::array<const char*, 5> kNames = {"cache", "cookies", "history", "trash", "temp"};

std::string count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string areaLine(const AreaOutcome& area, bool preview) {
  const platform::ClearOutcome& o = area.outcome;
  // The cookie area's items are sites; what they held is told beside them.
  const bool sites = area.area == Area::Cookies && !o.contents.empty();
  std::string line =
      std::string(areaName(area.area)) + ": " +
      (sites ? count(o.removed, "site", "sites") : count(o.removed, "item", "items")) +
      (preview ? " would be removed" : " removed");
  std::string held;
  for (const platform::ClearTally& kind : o.contents)
    held += (held.empty() ? "" : ", ") + count(kind.count, kind.one.c_str(), kind.many.c_str());
  if (o.bytes > 0) held += (held.empty() ? "" : ", ") + byteText(o.bytes);
  if (!held.empty()) line += " (" + held + ")";
  if (o.skipped > 0)
    line += ", " + std::to_string(o.skipped) +
            (area.area == Area::History
                 ? " kept (bookmarked)"
                 : " left alone (other users' files, sockets, pipes, mount points)");
  if (!o.kept.empty())
    line += ", " + std::to_string(o.kept.size()) + (preview ? " would be kept" : " kept");
  if (!o.failures.empty())
    line += ", " + count(static_cast<std::int64_t>(o.failures.size()), "item", "items") +
            (preview ? " would stay" : " could not be cleared");
  return line;
}

// Without the items: each reason once, with how many items it kept, in the
// order first met ("  kept: example.com is on the keep list (3 items)").
std::string keptReasonsText(const std::vector<platform::ClearKept>& kept) {
  std::vector<std::pair<std::string, std::int64_t>> reasons;
  for (const platform::ClearKept& item : kept) {
    auto at = std::find_if(reasons.begin(), reasons.end(),
                           [&](const auto& reason) { return reason.first == item.reason; });
    if (at == reasons.end())
      reasons.emplace_back(item.reason, 1);
    else
      ++at->second;
  }
  std::string text;
  for (const auto& [reason, n] : reasons)
    text += "  kept: " + reason + " (" + count(n, "item", "items") + ")\n";
  return text;
}

}  // namespace

const char* areaName(Area area) {
  return kNames[static_cast<std::size_t>(area)];
}

std::optional<Area> areaNamed(std::string_view name) {
  for (Area area : kAllAreas)
    if (name == areaName(area)) return area;
  return std::nullopt;
}

bool RunReport::ok() const {
  return failureCount() == 0 && logProblem.empty();
}

std::int64_t RunReport::failureCount() const {
  std::int64_t n = 0;
  for (const AreaOutcome& area : areas)
    n += static_cast<std::int64_t>(area.outcome.failures.size());
  return n;
}

std::string reportText(const RunReport& report, bool listItems) {
  std::string text;
  for (const AreaOutcome& area : report.areas) {
    text += areaLine(area, report.preview) + "\n";
    if (listItems) {
      for (const std::string& item : area.outcome.items) text += "  " + item + "\n";
      for (const platform::ClearKept& kept : area.outcome.kept)
        text += "  kept: " + kept.item + ": " + kept.reason + "\n";
    } else {
      text += keptReasonsText(area.outcome.kept);
    }
    for (const platform::ClearFailure& failure : area.outcome.failures)
      text += "  " + std::string(report.preview ? "would stay: " : "not cleared: ") + failure.item +
              ": " + failure.reason + "\n";
  }
  if (report.areas.empty()) text += "no area chosen: nothing to clear\n";
  if (!report.logProblem.empty()) text += logProblemText(report) + "\n";
  return text;
}

std::string logProblemText(const RunReport& report) {
  return "log: this report could not be added to the log: " + report.logProblem;
}

std::string logEntry(const RunReport& report) {
  std::string heading =
      "== " + report.started + " " + report.trigger + " run" +
      (report.preview ? " (preview)" : "") + ": " +
      (report.failureCount() == 0
           ? "everything cleared"
           : count(report.failureCount(), "item", "items") + " could not be cleared") +
      "\n";
  return heading + reportText(report, false);
}

std::string notificationText(const RunReport& report) {
  std::string areas;
  const platform::ClearFailure* first = nullptr;
  for (const AreaOutcome& area : report.areas) {
    if (area.outcome.failures.empty()) continue;
    if (!first) first = &area.outcome.failures.front();
    areas += (areas.empty() ? "" : ", ") + std::string(areaName(area.area));
  }
  if (!first) return report.logProblem.empty() ? std::string() : logProblemText(report);
  std::string text = count(report.failureCount(), "item", "items") + " could not be cleared (" +
                     areas + "): " + first->item + ": " + first->reason;
  if (report.failureCount() > 1) text += "; and more, see the log";
  return text;
}

std::string byteText(std::int64_t bytes) {
  if (bytes < 1024) return count(bytes, "byte", "bytes");
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  value /= 1024;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string timeNowText() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
  return text;
}

}  // namespace core

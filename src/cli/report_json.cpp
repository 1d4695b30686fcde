#include "cli/report_json.h"

#include <nlohmann/json.hpp>

namespace cli {

std::string reportJson(const core::RunReport& report) {
  nlohmann::ordered_json root;
  root["preview"] = report.preview;
  root["trigger"] = report.trigger;
  root["started"] = report.started;
  root["ok"] = report.ok();
  root["areas"] = nlohmann::ordered_json::array();
  for (const core::AreaOutcome& area : report.areas) {
    nlohmann::ordered_json entry;
    entry["area"] = core::areaName(area.area);
    entry["removed"] = area.outcome.removed;
    entry["bytes"] = area.outcome.bytes;
    entry["skipped"] = area.outcome.skipped;
    // What the removed items held, by kind: {"cookies": 11, "items of site data": 6}.
    entry["contents"] = nlohmann::ordered_json::object();
    for (const platform::ClearTally& kind : area.outcome.contents)
      entry["contents"][kind.many] = kind.count;
    entry["items"] = area.outcome.items;
    entry["failures"] = nlohmann::ordered_json::array();
    for (const platform::ClearFailure& failure : area.outcome.failures)
      entry["failures"].push_back({{"item", failure.item}, {"reason", failure.reason}});
    entry["kept"] = nlohmann::ordered_json::array();
    for (const platform::ClearKept& kept : area.outcome.kept)
      entry["kept"].push_back({{"item", kept.item}, {"reason", kept.reason}});
    root["areas"].push_back(std::move(entry));
  }
  if (!report.logProblem.empty()) root["log"] = {{"written", false}, {"reason", report.logProblem}};
  // Names from the file system need not be UTF-8: replace what is not.
  return root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace cli

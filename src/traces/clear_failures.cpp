#include "traces/clear_failures.h"

#include <vector>

namespace traces {

std::string notClearedText(const std::string& heading, const platform::ClearOutcome& outcome,
                           const char* one, const char* many) {
  if (outcome.failures.empty()) return {};
  // The reasons in the order they first came, each with its count.
  std::vector<std::pair<std::string, std::size_t>> reasons;
  for (const platform::ClearFailure& failure : outcome.failures) {
    auto it = reasons.begin();
    while (it != reasons.end() && it->first != failure.reason) ++it;
    if (it == reasons.end())
      reasons.emplace_back(failure.reason, 1);
    else
      ++it->second;
  }
  std::string text = heading + "\n";
  int running = 0;
  for (auto& [reason, count] : reasons) {
    std::string line = reason.empty() ? std::string("it could not be removed") : reason;
    if (line[0] >= 'a' && line[0] <= 'z') line[0] = static_cast<char>(line[0] - 'a' + 'A');
    text += "\n" + line + " (" + std::to_string(count) + " " + (count == 1 ? one : many) + ").";
    if (reason.ends_with(" is running")) ++running;
  }
  if (running == 1) text += "\n\nPlease close the browser and try again.";
  if (running > 1) text += "\n\nPlease close these browsers and try again.";
  return text;
}

}  // namespace traces

#include <map>

#include "erase/wipe_choice.h"

namespace erasure {

namespace {

std::string line(std::int64_t count, const std::string& words) {
  return "\n" + std::to_string(count) + " " + words;
}

}  // namespace

WipeCounts WipeReport::counts() const {
  WipeCounts counts;
  counts.listed = static_cast<std::int64_t>(results.size());
  for (const WipeResult& result : results) {
    if (result.destroyed()) {
      ++counts.wiped;
      counts.bytesWiped += result.bytes;
    } else if (result.removed()) {
      ++counts.removedOnly;
    } else {
      ++counts.notWiped;
    }
  }
  return counts;
}

std::string WipeReport::summary() const {
  const WipeCounts total = counts();
  std::string text = std::to_string(total.wiped) + "File(s) wiped";

  if (total.removedOnly > 0) {
    std::int64_t links = 0, otherNames = 0;
    std::map<std::string, std::int64_t> keptBy;  // file system ("" for shared blocks)
    std::map<std::string, std::int64_t> inMemory;
    for (const WipeResult& result : results) {
      if (result.outcome == WipeOutcome::LinkRemoved) ++links;
      if (result.outcome == WipeOutcome::Deleted) ++otherNames;
      if (result.outcome == WipeOutcome::OldCopiesKept) ++keptBy[result.fileSystem];
      if (result.outcome == WipeOutcome::InMemory) ++inMemory[result.fileSystem];
    }
    text += "\n\n" + std::to_string(total.removedOnly) + " file(s) removed without overwriting:";
    if (links) text += line(links, "links (the files they point to were left untouched)");
    if (otherNames)
      text += line(otherNames, "with other names (hard links): only this name was removed");
    for (const auto& [fileSystem, count] : keptBy)
      text += fileSystem.empty()
                  ? line(count, "sharing their data with a copy, which keeps the old data")
                  : line(count, "on " + fileSystem + ": this file system keeps old copies");
    for (const auto& [fileSystem, count] : inMemory)
      text += line(count, "on " + fileSystem + ": this file system lives in memory and swap");
  }

  if (total.notWiped > 0) {
    static const std::map<WipeOutcome, const char*> kWords = {
        {WipeOutcome::InUse, "in use by another program"},
        {WipeOutcome::NotRegular, "not regular files (pipes, sockets, devices)"},
        {WipeOutcome::NotOwned, "belonging to another user"},
        {WipeOutcome::MountPoint, "mount points, left as they are"},
        {WipeOutcome::Overwritten, "overwritten, but their names could not be removed"},
        {WipeOutcome::Missing, "gone before they could be wiped"},
        {WipeOutcome::Failed,
         "could not be overwritten or deleted (access denied or a disk error)"},
    };
    std::map<WipeOutcome, std::int64_t> left;
    for (const WipeResult& result : results)
      if (!result.removed()) ++left[result.outcome];
    text += "\n\n" + std::to_string(total.notWiped) + " file(s) could not be wiped:";
    for (const auto& [outcome, count] : left) text += line(count, kWords.at(outcome));
  }
  return text;
}

platform::ClearOutcome WipeReport::outcome() const {
  platform::ClearOutcome outcome;
  for (const WipeResult& result : results) {
    if (result.removed()) {
      ++outcome.removed;
      outcome.bytes += result.bytes;
    } else {
      outcome.fail(result.path, result.reason);
    }
  }
  return outcome;
}

}  // namespace erasure

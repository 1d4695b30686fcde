#include "core/free_space_report.h"

#include "core/run_report.h"

namespace core {

std::string driveText(const platform::FreeSpaceDrive& drive) {
  return drive.mountPoint + " (" + drive.fileSystem + ")";
}

std::string durationText(double seconds) {
  if (!(seconds > 0)) return {};
  const auto whole = static_cast<std::int64_t>(seconds + 0.5);
  if (whole < 60) return "less than a minute";
  if (whole < 3600) return "about " + std::to_string((whole + 30) / 60) + " min";
  return "about " + std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) +
         " min";
}

std::string freeSpaceWarning(const platform::FreeSpaceDrive& drive, double bytesPerSecond,
                             int passes) {
  std::string text = "Warning! this will fill the free space of " + driveText(drive) + ", " +
                     byteText(drive.freeBytes) +
                     ", with the wipe pattern and then give it back, so that files deleted "
                     "earlier cannot be recovered from it.";
  if (bytesPerSecond > 0)
    text += " It will take " +
            durationText(static_cast<double>(drive.freeBytes) * passes / bytesPerSecond) + ".";
  text +=
      " Other programs find the drive full for a few seconds at the end of each fill.\n\nNot "
      "reached:";
  for (const std::string& note : drive.notes) text += "\n- " + note;
  return text;
}

std::string fillProgressText(std::int64_t written, std::int64_t total, double seconds) {
  std::string text = byteText(written) + " of " + byteText(total);
  if (seconds <= 0 || written <= 0) return text;
  const double speed = written / seconds;
  text += ", " + byteText(static_cast<std::int64_t>(speed)) + "/s";
  if (total > written) {
    const std::string left = durationText((total - written) / speed);
    text += left == "less than a minute" ? ", less than a minute left" : ", " + left + " left";
  }
  return text;
}

std::string freeSpaceSummary(const platform::FreeSpaceDrive& drive,
                             const platform::FreeSpaceResult& result, int passes) {
  std::string text;
  if (result.ok())
    text = "The free space of " + driveText(drive) + " was wiped: ";
  else if (result.cancelled)
    text = "The wipe of the free space of " + driveText(drive) +
           " was stopped; the space is free again: ";
  else
    text = "The wipe of the free space of " + driveText(drive) + " failed (" + result.failure +
           "); the space is free again: ";
  text += byteText(result.bytesWritten) + " written, " + std::to_string(result.passesDone) +
          " of " + std::to_string(passes) + (passes == 1 ? " fill" : " fills");
  if (result.inodesReached > 0)
    text += ", " + std::to_string(result.inodesReached) + " free inode slots reached";
  text += ".";
  // What a finished fill could not reach; a stopped one reached less still.
  if (!result.ok()) return text;
  text += "\n";
  if (result.bytesHeldBack > 0)
    text += "\nNot reached: " + byteText(result.bytesHeldBack) +
            " that the file system kept back when the drive was full.";
  if (result.inodesNotReached > 0)
    text += "\nNot reached: " + std::to_string(result.inodesNotReached) +
            " free inode slots, more than the system lets one program hold open.";
  for (const std::string& note : drive.notes) text += "\nNot reached: " + note + ".";
  return text;
}

}  // namespace core

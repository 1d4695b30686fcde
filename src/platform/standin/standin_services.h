// The services a system supplies beyond its files, each at its smallest:
// nothing is emptied, downloaded or opened, and each says so where the
// interface lets it.
#pragma once

#include "platform/system.h"

namespace platform::standin {

// No recycle bin: emptying it fails with the reason.
class StandinTrash : public Trash {
 public:
  void emptyAll(ClearOutcome* outcome) override;
  ClearOutcome previewEmptyAll() override;
};

// The temporary folder of std::filesystem; no shell to open a page with and
// no judge of which folders may be cleared (so none may).
class StandinShell : public Shell {
 public:
  void openUrl(const std::string& url) override;
  std::string tempPath() override;
};

// No network: every download fails.
class StandinDownloader : public Downloader {
 public:
  int download(const std::string& url, const std::string& file) override;
};

// No program file, no per-user lock (the answer is "no other copy"), no data
// folder; the working folder of std::filesystem.
class StandinProcess : public Process {
 public:
  bool previousInstance() override { return false; }
  std::string programFolder() override { return {}; }
  std::string programName() override { return "tracesweep"; }
  std::string userDataFolder() override { return {}; }
  std::string workingFolder() override;
  bool errorIsTerminal() override { return false; }
};

}  // namespace platform::standin

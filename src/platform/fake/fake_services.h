// Minimal stand-ins for the platform services, for tests of the layers above.
// Each records what it was asked and answers as configured.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_url_cache.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"
#include "platform/system.h"

namespace platform::fake {

class FakeFileLayer : public FileLayer {
 public:
  std::vector<DirEntry> listFolder(const std::string& folder) override;
  int deleteFile(const std::string& path) override;
  int setAttributes(const std::string& path, int attributes) override;
  int fileLength(const std::string& path, std::int64_t& length) override;
  std::string errorText(int error) override;
  // Walks `folders` (keys end in "/"); entries with kAttrDirectory are entered.
  int walkFiles(const std::string& folder,
                const std::function<void(const std::string&)>& onFile) override;
  // Files are the paths in `lengths`: writes lengthen them, removal erases
  // them and records the path in `deleted`.
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions& options) override;
  // A folder that is a key of `folders`; its protection from `protections`
  // (by the path as given, without a trailing "/"), None when absent. Its
  // session takes paths relative to it; it reports itself changed once its
  // path is in `moved`.
  ChosenFolderOpen chooseFolder(const std::string& folder) override;

  std::map<std::string, std::vector<DirEntry>> folders;
  std::map<std::string, FolderProtection> protections;
  std::set<std::string> moved;
  std::map<std::string, std::int64_t> lengths;
  std::map<std::string, int> deleteResults;  // by path; default 0
  std::vector<std::string> deleted;
};

class FakeHistoryFactory : public UrlHistoryFactory {
 public:
  std::unique_ptr<UrlHistoryStg> create() override;
  bool fail = false;
  int clears = 0;  // ClearHistory calls on stores made here
};

class FakeTrash : public Trash {
 public:
  void emptyAll(ClearOutcome* told = nullptr) override {
    ++emptied;
    if (told) told->add(outcome);
  }
  ClearOutcome previewEmptyAll() override {
    ++previewed;
    return outcome;
  }
  int emptied = 0;
  int previewed = 0;
  ClearOutcome outcome;  // what every call reports
};

class FakeShell : public Shell {
 public:
  void openUrl(const std::string& url) override { opened.push_back(url); }
  std::string tempPath() override { return temp; }
  std::vector<std::string> opened;
  std::string temp;
};

class FakeDownloader : public Downloader {
 public:
  int download(const std::string& url, const std::string& file) override;
  // At once, unless `hold`: then the download waits for finishHeld().
  void downloadInBackground(const std::string& url, const std::string& file,
                            std::function<void(int)> done) override;
  // Completes the held downloads as download() would.
  void finishHeld();
  bool hold = false;
  std::vector<std::function<void()>> held;
  std::vector<std::string> urls;
  std::string content;  // written into the file when status is 0
  int status = 0;
};

class FakeProcess : public Process {
 public:
  bool previousInstance() override { return another; }
  std::string programFolder() override { return folder; }
  std::string programName() override { return name; }
  std::string userDataFolder() override { return dataFolder; }
  std::string workingFolder() override { return working; }
  bool errorIsTerminal() override { return terminal; }
  bool another = false;
  std::string folder = "/opt/tracesweep";
  std::string name = "tracesweep";
  std::string dataFolder = "/tmp/tracesweep-test-data";
  std::string working = "/home/user";
  bool terminal = false;
};

}  // namespace platform::fake

#include "platform/fake/fake_services.h"

#include <algorithm>
#include <fstream>

#include "platform/paths.h"

namespace platform::fake {

namespace {

// The fake's files are kept under "/"-separated paths; a path as the system
// writes it (with "\" on Windows) names the same file.
std::string slashed(std::string path) {
  for (char& c : path)
    if (isPathSeparator(c)) c = '/';
  return path;
}

}  // namespace

std::vector<DirEntry> FakeFileLayer::listFolder(const std::string& folder) {
  auto it = folders.find(folder);
  return it == folders.end() ? std::vector<DirEntry>{} : it->second;
}

int FakeFileLayer::deleteFile(const std::string& path) {
  auto it = deleteResults.find(path);
  int result = it == deleteResults.end() ? 0 : it->second;
  if (result == 0) deleted.push_back(path);
  return result;
}

int FakeFileLayer::setAttributes(const std::string&, int) {
  return 0;
}

int FakeFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  auto it = lengths.find(slashed(path));
  if (it == lengths.end()) return kErrFileNotFound;
  length = it->second;
  return 0;
}

std::string FakeFileLayer::errorText(int error) {
  if (error == kErrFileNotFound) return "File not found";
  if (error == kErrPathFileAccess) return "Path/File access error";
  return "Error " + std::to_string(error);
}

int FakeFileLayer::walkFiles(const std::string& folder,
                             const std::function<void(const std::string&)>& onFile) {
  std::string root = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::function<void(const std::string&)> walk = [&](const std::string& relative) {
    for (const DirEntry& entry : listFolder(root + relative)) {
      if (entry.attributes & kAttrDirectory)
        walk(relative + entry.name + "/");
      else
        onFile(relative + entry.name);
    }
  };
  walk("");
  return 0;
}

namespace {
class FakeTarget : public OverwriteTarget {
 public:
  FakeTarget(FakeFileLayer& layer, std::string path) : layer_(layer), path_(std::move(path)) {}
  int length(std::int64_t& bytes) override { return layer_.fileLength(path_, bytes); }
  int writeAt(std::int64_t offset, const unsigned char*, std::size_t size) override {
    std::int64_t& length = layer_.lengths[path_];
    length = std::max(length, offset + static_cast<std::int64_t>(size));
    return 0;
  }
  int syncData() override { return 0; }
  void close() override {}
  int remove() override {
    layer_.lengths.erase(path_);
    return layer_.deleteFile(path_);
  }

 private:
  FakeFileLayer& layer_;
  std::string path_;
};

class FakeSession : public OverwriteSession {
 public:
  explicit FakeSession(FakeFileLayer& layer, std::string root = {})
      : layer_(layer), root_(std::move(root)) {}
  OverwriteOpen open(const std::string& relative) override {
    const std::string path = root_ + relative;
    OverwriteOpen result;
    if (!layer_.lengths.count(path)) {
      result.kind = OverwriteKind::Missing;
      return result;
    }
    result.kind = OverwriteKind::Opened;
    result.target = std::make_unique<FakeTarget>(layer_, path);
    return result;
  }
  int syncAll() override { return 0; }

 private:
  FakeFileLayer& layer_;
  std::string root_;
};

class FakeChosenFolder : public ChosenFolder {
 public:
  FakeChosenFolder(FakeFileLayer& layer, std::string root, FolderProtection protection)
      : layer_(layer), root_(std::move(root)), path_(root_), protection_(protection) {
    if (path_.size() > 1) path_.pop_back();
  }
  const std::string& path() const override { return path_; }
  FolderProtection protection() const override { return protection_; }
  int walkFiles(const std::function<void(const std::string&)>& onFile) override {
    return layer_.walkFiles(root_, onFile);
  }
  bool unchanged() override { return !layer_.moved.count(path_); }
  std::unique_ptr<OverwriteSession> beginOverwrite(const OverwriteOptions&) override {
    return std::make_unique<FakeSession>(layer_, root_);
  }

 private:
  FakeFileLayer& layer_;
  std::string root_, path_;
  FolderProtection protection_;
};
}  // namespace

ChosenFolderOpen FakeFileLayer::chooseFolder(const std::string& folder) {
  ChosenFolderOpen result;
  std::string root = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  result.path = root.size() > 1 ? root.substr(0, root.size() - 1) : root;
  if (!folders.count(root)) {
    result.state = ChosenFolderState::Missing;
    return result;
  }
  auto protection = protections.find(result.path);
  result.state = ChosenFolderState::Opened;
  result.folder = std::make_unique<FakeChosenFolder>(
      *this, root, protection == protections.end() ? FolderProtection::None : protection->second);
  return result;
}

std::unique_ptr<OverwriteSession> FakeFileLayer::beginOverwrite(const OverwriteOptions&) {
  return std::make_unique<FakeSession>(*this);
}

namespace {
class EmptyEnum : public EnumSTATURL {
 public:
  HRESULT SetFilter(const std::string*, std::uint32_t) override { return S_OK; }
  HRESULT Next(STATURL&, std::uint32_t& fetched) override {
    fetched = 0;
    return S_FALSE;
  }
};

class EmptyStore : public UrlHistoryStg {
 public:
  explicit EmptyStore(int& clears) : clears_(clears) {}
  HRESULT AddUrl(const std::string&, const std::string&, std::uint32_t) override { return S_OK; }
  HRESULT DeleteUrl(const std::string&, std::uint32_t) override { return S_OK; }
  HRESULT EnumUrls(std::unique_ptr<EnumSTATURL>& out) override {
    out = std::make_unique<EmptyEnum>();
    return S_OK;
  }
  HRESULT ClearHistory() override {
    ++clears_;
    return S_OK;
  }
  std::string lastErrorText() const override { return {}; }

 private:
  int& clears_;
};
}  // namespace

std::unique_ptr<UrlHistoryStg> FakeHistoryFactory::create() {
  if (fail) return nullptr;
  return std::make_unique<EmptyStore>(clears);
}

int FakeDownloader::download(const std::string& url, const std::string& file) {
  urls.push_back(url);
  if (status == 0) std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
  return status;
}

void FakeDownloader::downloadInBackground(const std::string& url, const std::string& file,
                                          std::function<void(int)> done) {
  if (!hold) {
    done(download(url, file));
    return;
  }
  held.push_back([this, url, file, done = std::move(done)] { done(download(url, file)); });
}

void FakeDownloader::finishHeld() {
  auto now = std::move(held);
  held.clear();
  for (auto& finish : now) finish();
}

}  // namespace platform::fake

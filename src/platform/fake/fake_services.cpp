#include "platform/fake/fake_services.h"

#include <fstream>

namespace platform::fake {

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

int FakeFileLayer::setAttributes(const std::string&, int) { return 0; }

int FakeFileLayer::fileLength(const std::string& path, std::int64_t& length) {
  auto it = lengths.find(path);
  if (it == lengths.end()) return kErrFileNotFound;
  length = it->second;
  return 0;
}

std::string FakeFileLayer::errorText(int error) {
  if (error == kErrFileNotFound) return "File not found";
  if (error == kErrPathFileAccess) return "Path/File access error";
  return "Error " + std::to_string(error);
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

}  // namespace platform::fake

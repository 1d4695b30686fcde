// The real file layer, counting the overwrite passes made through it (a pass
// starts with a write at offset 0).
#pragma once

#include "platform/file_layer.h"

namespace erasetest {

class PassCountingLayer : public platform::FileLayer {
 public:
  explicit PassCountingLayer(platform::FileLayer& real) : real_(real) {}
  int passes = 0;

  std::vector<platform::DirEntry> listFolder(const std::string& f) override {
    return real_.listFolder(f);
  }
  int deleteFile(const std::string& p) override { return real_.deleteFile(p); }
  int setAttributes(const std::string& p, int a) override { return real_.setAttributes(p, a); }
  int fileLength(const std::string& p, std::int64_t& l) override { return real_.fileLength(p, l); }
  std::string errorText(int e) override { return real_.errorText(e); }
  int walkFiles(const std::string& f,
                const std::function<void(const std::string&)>& onFile) override {
    return real_.walkFiles(f, onFile);
  }
  std::unique_ptr<platform::OverwriteSession> beginOverwrite(
      const platform::OverwriteOptions& options) override {
    return std::make_unique<Session>(real_.beginOverwrite(options), passes);
  }
  platform::ChosenFolderOpen chooseFolder(const std::string& folder) override {
    auto chosen = real_.chooseFolder(folder);
    if (chosen.folder) chosen.folder = std::make_unique<Folder>(std::move(chosen.folder), passes);
    return chosen;
  }

 private:
  class Target : public platform::OverwriteTarget {
   public:
    Target(std::unique_ptr<platform::OverwriteTarget> t, int& passes)
        : t_(std::move(t)), passes_(passes) {}
    int length(std::int64_t& b) override { return t_->length(b); }
    int writeAt(std::int64_t offset, const unsigned char* d, std::size_t n) override {
      if (offset == 0) ++passes_;
      return t_->writeAt(offset, d, n);
    }
    int syncData() override { return t_->syncData(); }
    void close() override { t_->close(); }
    int remove() override { return t_->remove(); }

   private:
    std::unique_ptr<platform::OverwriteTarget> t_;
    int& passes_;
  };
  class Session : public platform::OverwriteSession {
   public:
    Session(std::unique_ptr<platform::OverwriteSession> s, int& passes)
        : s_(std::move(s)), passes_(passes) {}
    platform::OverwriteOpen open(const std::string& path) override {
      auto opened = s_->open(path);
      if (opened.target)
        opened.target = std::make_unique<Target>(std::move(opened.target), passes_);
      return opened;
    }
    int syncAll() override { return s_->syncAll(); }

   private:
    std::unique_ptr<platform::OverwriteSession> s_;
    int& passes_;
  };
  class Folder : public platform::ChosenFolder {
   public:
    Folder(std::unique_ptr<platform::ChosenFolder> f, int& passes)
        : f_(std::move(f)), passes_(passes) {}
    const std::string& path() const override { return f_->path(); }
    platform::FolderProtection protection() const override { return f_->protection(); }
    int walkFiles(const std::function<void(const std::string&)>& onFile) override {
      return f_->walkFiles(onFile);
    }
    bool unchanged() override { return f_->unchanged(); }
    std::unique_ptr<platform::OverwriteSession> beginOverwrite(
        const platform::OverwriteOptions& options) override {
      return std::make_unique<Session>(f_->beginOverwrite(options), passes_);
    }

   private:
    std::unique_ptr<platform::ChosenFolder> f_;
    int& passes_;
  };
  platform::FileLayer& real_;
};

}  // namespace erasetest

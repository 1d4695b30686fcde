// The batch wipe: many files overwritten, one sync of the file system for the
// batch, and only then removed. Files are taken in groups held open together,
// so that with several passes each pass of a group is synced once, not once
// per file.
#include <memory>

#include "erase/overwrite_passes.h"
#include "erase/secure_wipe.h"
#include "platform/paths.h"

namespace erasure {

namespace {

using platform::OverwriteKind;

constexpr std::size_t kGroupFiles = 256;
constexpr std::int64_t kGroupBytes = std::int64_t{256} << 20;

struct Pending {
  std::size_t index = 0;
  std::unique_ptr<platform::OverwriteTarget> target;
};

class BatchWipe {
 public:
  BatchWipe(platform::System& platform, std::unique_ptr<platform::OverwriteSession> session,
            int passes, std::vector<WipeResult>& results, const BatchOptions& options)
      : platform_(platform),
        passes_(passes),
        results_(results),
        options_(options),
        session_(std::move(session)) {}

  void add(std::size_t index, const std::string& path) {
    WipeResult& result = results_[index];
    if (options_.beforeOpen) options_.beforeOpen(path);
    platform::OverwriteOpen opened = session_->open(path);
    if (!opened.target || opened.kind != OverwriteKind::Opened || passes_ <= 0) {
      if (!opened.target)
        detail::describeSkip(platform_, opened, result);
      else
        detail::removeOnly(platform_, opened, result);
      return settled(result.path);
    }
    std::int64_t length = 0;
    opened.target->length(length);
    result.bytes = length;
    group_.push_back({index, std::move(opened.target)});
    groupBytes_ += detail::passLength(length) + passes_ * detail::kBlockSize;
    if (group_.size() >= kGroupFiles || groupBytes_ >= kGroupBytes) overwriteGroup();
  }

  void finish() {
    overwriteGroup();
    if (written_.empty()) return;
    int error = session_->syncAll();
    for (Pending& file : written_) {
      WipeResult& result = results_[file.index];
      if (error != 0) {
        // Not known to be on the storage: the file stays, and says so.
        result.outcome = WipeOutcome::Failed;
        result.reason = detail::failureReason(platform_, "written to the disk", error);
      } else if (int removeError = file.target->remove()) {
        result.outcome = WipeOutcome::Overwritten;
        result.reason = detail::notRemovedReason(platform_, removeError);
      } else {
        result.outcome = WipeOutcome::Wiped;
      }
    }
    written_.clear();
  }

  void end() {
    if (options_.progress) options_.progress(total_, total_, std::string());
  }

  std::int64_t total_ = 0;

 private:
  void settled(const std::string& path) {
    ++done_;
    if (options_.progress) options_.progress(done_, total_, path);
  }

  void overwriteGroup() {
    for (int pass = 1; pass <= passes_ && !group_.empty(); ++pass) {
      for (Pending& file : group_) {
        if (!file.target) continue;
        if (pass == passes_ && options_.progress)
          options_.progress(done_, total_, results_[file.index].path);
        int error = detail::overwritePass(*file.target);
        if (pass == passes_) ++done_;
        if (error) fail(file, error, pass < passes_);
      }
      // Every pass but the last is synced here; the last one once for the batch.
      if (pass < passes_) {
        if (int error = session_->syncAll())
          for (Pending& file : group_)
            if (file.target) fail(file, error, true);
      }
    }
    for (Pending& file : group_) {
      if (!file.target) continue;
      file.target->close();
      written_.push_back(std::move(file));
    }
    group_.clear();
    groupBytes_ = 0;
  }

  // A file given up before its last pass is settled here.
  void fail(Pending& file, int error, bool beforeLastPass) {
    if (beforeLastPass) ++done_;
    file.target->close();
    file.target.reset();
    results_[file.index].outcome = WipeOutcome::Failed;
    results_[file.index].reason = detail::failureReason(platform_, "overwritten", error);
  }

  platform::System& platform_;
  int passes_;
  std::vector<WipeResult>& results_;
  const BatchOptions& options_;
  std::unique_ptr<platform::OverwriteSession> session_;
  std::int64_t done_ = 0;
  std::vector<Pending> group_;
  std::int64_t groupBytes_ = 0;
  std::vector<Pending> written_;
};

}  // namespace

namespace {

std::vector<WipeResult> wipeAll(platform::System& platform,
                                std::unique_ptr<platform::OverwriteSession> session,
                                const std::vector<std::string>& paths, const std::string& prefix,
                                int passes, const BatchOptions& options) {
  std::vector<WipeResult> results(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i)
    results[i].path = platform::pathBelow(prefix, paths[i]);
  BatchWipe batch(platform, std::move(session), passes, results, options);
  batch.total_ = static_cast<std::int64_t>(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) batch.add(i, paths[i]);
  batch.finish();
  batch.end();
  return results;
}

}  // namespace

std::vector<WipeResult> WipeFiles(platform::System& platform, const std::vector<std::string>& paths,
                                  int passes, const BatchOptions& options) {
  platform::OverwriteOptions open;
  open.ownedByUserOnly = options.ownedByUserOnly;
  return wipeAll(platform, platform.files.beginOverwrite(open), paths, std::string(), passes,
                 options);
}

std::vector<WipeResult> WipeFilesBelow(platform::System& platform, platform::ChosenFolder& folder,
                                       const std::vector<std::string>& relative, int passes,
                                       const BatchOptions& options) {
  platform::OverwriteOptions open;
  open.ownedByUserOnly = options.ownedByUserOnly;
  return wipeAll(platform, folder.beginOverwrite(open), relative, folder.path(), passes, options);
}

}  // namespace erasure

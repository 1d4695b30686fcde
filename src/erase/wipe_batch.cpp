// The batch wipe: many files overwritten, one sync of the file system for the
// batch, and only then removed. Files are taken in groups held open together,
// so that with several passes each pass of a group is synced once, not once
// per file.
#include <memory>

#include "erase/overwrite_passes.h"
#include "erase/secure_wipe.h"

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
  BatchWipe(platform::Platform& platform, int passes, std::vector<WipeResult>& results,
            const BatchOptions& options)
      : platform_(platform), passes_(passes), results_(results) {
    options_.ownedByUserOnly = options.ownedByUserOnly;
    options_.root = options.root;
    session_ = platform.files.beginOverwrite(options_);
  }

  void add(std::size_t index) {
    WipeResult& result = results_[index];
    platform::OverwriteOpen opened = session_->open(result.path);
    if (!opened.target) return detail::describeSkip(platform_, opened, result);
    if (opened.kind != OverwriteKind::Opened || passes_ <= 0)
      return detail::removeOnly(platform_, opened, result);
    std::int64_t length = 0;
    opened.target->length(length);
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
        result.outcome = WipeOutcome::Failed;
        result.reason = "it was overwritten but " +
                        detail::failureReason(platform_, "deleted", removeError).substr(3);
      } else {
        result.outcome = WipeOutcome::Wiped;
      }
    }
    written_.clear();
  }

 private:
  void overwriteGroup() {
    for (int pass = 1; pass <= passes_ && !group_.empty(); ++pass) {
      for (Pending& file : group_) {
        if (!file.target) continue;
        if (int error = detail::overwritePass(*file.target)) fail(file, error);
      }
      // Every pass but the last is synced here; the last one once for the batch.
      if (pass < passes_) {
        if (int error = session_->syncAll())
          for (Pending& file : group_)
            if (file.target) fail(file, error);
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

  void fail(Pending& file, int error) {
    file.target->close();
    file.target.reset();
    results_[file.index].outcome = WipeOutcome::Failed;
    results_[file.index].reason = detail::failureReason(platform_, "overwritten", error);
  }

  platform::Platform& platform_;
  int passes_;
  std::vector<WipeResult>& results_;
  platform::OverwriteOptions options_;
  std::unique_ptr<platform::OverwriteSession> session_;
  std::vector<Pending> group_;
  std::int64_t groupBytes_ = 0;
  std::vector<Pending> written_;
};

}  // namespace

std::vector<WipeResult> WipeFiles(platform::Platform& platform,
                                  const std::vector<std::string>& paths, int passes,
                                  const BatchOptions& options) {
  std::vector<WipeResult> results(paths.size());
  BatchWipe batch(platform, passes, results, options);
  const auto total = static_cast<std::int64_t>(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    results[i].path = paths[i];
    if (options.progress) options.progress(static_cast<std::int64_t>(i), total, paths[i]);
    batch.add(i);
  }
  batch.finish();
  return results;
}

}  // namespace erasure

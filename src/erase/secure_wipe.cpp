#include "erase/secure_wipe.h"

#include "erase/overwrite_passes.h"

namespace erasure {

using platform::OverwriteKind;

WipeResult WipeFile(platform::System& platform, const std::string& path, int passes) {
  return WipeFile(platform, path, passes, {});
}

WipeResult WipeFile(platform::System& platform, const std::string& path, int passes,
                    const std::function<void(int pass)>& afterPass) {
  WipeResult result;
  result.path = path;
  auto session = platform.files.beginOverwrite({});
  platform::OverwriteOpen opened = session->open(path);
  if (!opened.target) {
    detail::describeSkip(platform, opened, result);
    return result;
  }
  if (opened.kind != OverwriteKind::Opened || passes <= 0) {
    detail::removeOnly(platform, opened, result);
    return result;
  }
  platform::OverwriteTarget& target = *opened.target;
  for (int pass = 1; pass <= passes; ++pass) {
    // Each pass is on the storage before the next starts and before the
    // name goes; a file only half overwritten is not removed.
    int error = detail::overwritePass(target);
    if (error == 0) error = target.syncData();
    if (error != 0) {
      target.close();
      result.outcome = WipeOutcome::Failed;
      result.reason = detail::failureReason(platform, "overwritten", error);
      return result;
    }
    if (afterPass) afterPass(pass);
  }
  // Removed while still held, so its inode cannot pass to another file first.
  int removeError = target.remove();
  target.close();
  if (int error = removeError) {
    result.outcome = WipeOutcome::Overwritten;
    result.reason = detail::notRemovedReason(platform, error);
    return result;
  }
  result.outcome = WipeOutcome::Wiped;
  return result;
}

void ForceDelete(platform::System& platform, const std::string& path) {
  int error = platform.files.deleteFile(path);
  if (error == platform::kErrPathFileAccess) {
    platform.files.setAttributes(path, platform::kAttrNormal);
    platform.files.deleteFile(path);
  }
}

FileCheck CheckFile(platform::System& platform, const std::string& path) {
  FileCheck check;
  std::int64_t length = 0;
  const int error = platform.files.fileLength(path, length);
  if (error == 0)
    check.hasContent = length > 0;
  else if (error != platform::kErrFileNotFound)
    check.problem = platform.files.errorText(error);
  return check;
}

}  // namespace erasure

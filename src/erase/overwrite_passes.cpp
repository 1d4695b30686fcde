#include "erase/overwrite_passes.h"

#include <algorithm>
#include <vector>

namespace erasure::detail {

namespace {

constexpr std::size_t kWriteSize = 4u << 20;  // large writes; a multiple of the block size

const std::vector<unsigned char>& fillBuffer() {
  static const std::vector<unsigned char> buffer(kWriteSize, 0x01);
  return buffer;
}

}  // namespace

int overwritePass(platform::OverwriteTarget& target) {
  std::int64_t length = 0;
  if (int error = target.length(length)) return error;
  const std::int64_t total = passLength(length);
  const auto& buffer = fillBuffer();
  for (std::int64_t offset = 0; offset < total;) {
    auto size = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), total - offset));
    if (int error = target.writeAt(offset, buffer.data(), size)) return error;
    offset += static_cast<std::int64_t>(size);
  }
  return 0;
}

std::string failureReason(platform::System& platform, const char* step, int error) {
  return std::string("it could not be ") + step + ": " + platform.files.errorText(error);
}

std::string notRemovedReason(platform::System& platform, int error) {
  return "it was overwritten, but its name could not be removed: " +
         platform.files.errorText(error);
}

void describeSkip(platform::System& platform, const platform::OverwriteOpen& opened,
                  WipeResult& result) {
  using platform::OverwriteKind;
  switch (opened.kind) {
    case OverwriteKind::InUse:
      result.outcome = WipeOutcome::InUse;
      result.reason = "it is in use by another program";
      break;
    case OverwriteKind::NotRegular:
      result.outcome = WipeOutcome::NotRegular;
      result.reason = "it is not a regular file (a folder, pipe, socket or device)";
      break;
    case OverwriteKind::OnKernelInterface:
      result.outcome = WipeOutcome::NotRegular;
      result.reason = "it is on " + opened.fileSystem +
                      ", a window onto the kernel, not a file to wipe; left as it is";
      break;
    case OverwriteKind::MountPoint:
      result.outcome = WipeOutcome::MountPoint;
      result.reason = kMountPointReason;
      break;
    case OverwriteKind::NotOwned:
      result.outcome = WipeOutcome::NotOwned;
      result.reason = "it belongs to another user";
      break;
    case OverwriteKind::Missing:
      result.outcome = WipeOutcome::Missing;
      result.reason = "it does not exist";
      break;
    default:
      result.outcome = WipeOutcome::Failed;
      result.reason = failureReason(platform, "opened", opened.error);
      break;
  }
}

void removeOnly(platform::System& platform, platform::OverwriteOpen& opened, WipeResult& result) {
  using platform::OverwriteKind;
  opened.target->close();
  if (int error = opened.target->remove()) {
    result.outcome = WipeOutcome::Failed;
    result.reason = failureReason(platform, "deleted", error);
    return;
  }
  if (opened.kind == OverwriteKind::SymbolicLink) {
    result.outcome = WipeOutcome::LinkRemoved;
    result.reason =
        "it is a link: the link was removed, and the file it pointed to was left "
        "untouched";
  } else if (opened.kind == OverwriteKind::HardLinked) {
    result.outcome = WipeOutcome::Deleted;
    result.reason =
        "it has other names (hard links): only this name was removed, its content was not "
        "overwritten";
  } else if (opened.kind == OverwriteKind::OldCopiesKept) {
    result.outcome = WipeOutcome::OldCopiesKept;
    result.fileSystem = opened.fileSystem;
    result.reason = opened.sharedBlocks
                        ? std::string(kSharedBlocksReason)
                        : std::string(kOldCopiesReason) + " (" + opened.fileSystem + ")";
  } else if (opened.kind == OverwriteKind::InMemory) {
    result.outcome = WipeOutcome::InMemory;
    result.fileSystem = opened.fileSystem;
    result.reason = std::string(kInMemoryReason) + " (" + opened.fileSystem + ")";
  } else {
    result.outcome = WipeOutcome::Deleted;
    result.reason = "it was deleted without being overwritten";
  }
}

}  // namespace erasure::detail

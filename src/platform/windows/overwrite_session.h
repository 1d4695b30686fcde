// Opening files for a secure overwrite on Windows: never through a reparse
// point, only regular files with one name, and never a file that another
// program holds open: the file is opened without sharing, so an open handle
// elsewhere is a sharing violation (32), which means "in use".
#pragma once

#include <memory>
#include <string>

#include "platform/file_layer.h"

namespace platform::windows_os {

// The folder every file of a session must lie in, and what the session's
// files were flushed with.
struct SessionState;

class WindowsOverwriteSession : public OverwriteSession {
 public:
  // The root of options, if any, is resolved here, once: a file counts as
  // below it only when the file that was opened lies below that folder.
  explicit WindowsOverwriteSession(const OverwriteOptions& options);
  ~WindowsOverwriteSession() override;
  OverwriteOpen open(const std::string& path) override;
  // Flushes every file still open and reports the first failed flush of the
  // files closed since the last call.
  int syncAll() override;

 private:
  OverwriteOptions options_;
  std::shared_ptr<SessionState> state_;
};

}  // namespace platform::windows_os

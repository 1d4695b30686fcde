// Opening files for a secure overwrite on Windows: never through a reparse
// point, only regular files with one name, and never a file that another
// program holds open: the file is opened without sharing, so an open handle
// elsewhere is a sharing violation (32), which means "in use".
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/file_layer.h"

namespace platform::windows_os {

// The folder every file of a session must lie in, and what the session's
// files were flushed with.
struct SessionState;

class WindowsOverwriteSession : public OverwriteSession {
 public:
  // Says whether a folder below the chosen folder ("a/b", "" for the chosen
  // folder itself) is one its listing went through.
  using FolderCheck = std::function<bool(const std::string& relativeFolder)>;

  // For files the user named: full paths.
  explicit WindowsOverwriteSession(const OverwriteOptions& options);
  // For the files below a chosen folder (rootPath, its final path): paths
  // relative to it, "/"-separated; a file counts only when it lies in a
  // folder the listing went through and the file opened lies below rootPath.
  WindowsOverwriteSession(const OverwriteOptions& options, std::string rootPath,
                          FolderCheck listed);
  ~WindowsOverwriteSession() override;
  OverwriteOpen open(const std::string& path) override;
  // Flushes every file still open and reports the first failed flush of the
  // files closed since the last call.
  int syncAll() override;

 private:
  OverwriteOptions options_;
  std::shared_ptr<SessionState> state_;
  FolderCheck listed_;
};

}  // namespace platform::windows_os

// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // Writes a file (creating parent folders) and returns its path.
  std::filesystem::path write(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

// Reads a whole file; "" when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// Sets an environment variable for the lifetime of the guard.
class EnvGuard {
 public:
  EnvGuard(const char* name, const std::string& value);
  ~EnvGuard();
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace testsupport

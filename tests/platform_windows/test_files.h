// Files, folders and junctions for the tests of the Windows file layer, in a
// folder of the test's own under the local application data.
#pragma once

#include <string>

namespace windows_test {

class TestFolder {
 public:
  explicit TestFolder(const std::string& name);
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  const std::string& path() const { return path_; }  // no trailing "\"
  // Writes a file below the folder (creating folders on the way); its path.
  std::string write(const std::string& relative, const std::string& content) const;

 private:
  std::string path_;
};

bool exists(const std::string& path);
std::string readAll(const std::string& path);
// A junction (mount-point reparse point) at link leading to target. Wine has
// no junctions; there the link is a symbolic link of the host, which Wine
// shows as a reparse point too.
bool makeJunction(const std::string& link, const std::string& target);
bool underWine();
// Removes a tree without following junctions, read-only marks cleared.
void removeTree(const std::string& path);

}  // namespace windows_test

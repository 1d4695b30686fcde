// Entry files read from disk as the cache reads them (one window read, more
// on demand), in both formats: the input is written to a file first.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "browsers/formats/entry_file.h"

namespace {

struct Folder {
  Folder() {
    char templ[] = "/tmp/cache-entry-fuzz-XXXXXX";
    if (mkdtemp(templ)) path = templ;
    fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
  }
  ~Folder() {
    if (fd >= 0) {
      unlinkat(fd, "entry", 0);
      close(fd);
    }
    if (!path.empty()) rmdir(path.c_str());
  }
  std::string path;
  int fd = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Folder folder;
  if (folder.fd < 0) return 0;
  const int fd = openat(folder.fd, "entry", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return 0;
  const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (!written) return 0;
  using browsers::EntryFormat;
  const platform::files::OpenFolder open = platform::files::OpenFolder::open(folder.path);
  browsers::readEntryFile(open, "entry", EntryFormat::Firefox);
  browsers::readEntryFile(open, "entry", EntryFormat::Chromium);
  return 0;
}

// A Chromium-family Bookmarks file as hostile input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "browsers/history/chromium_history.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    std::string f = (std::filesystem::temp_directory_path() / "bookmarks-fuzz-XXXXXX").string();
    if (!mkdtemp(f.data())) std::abort();
    return f;
  }();
  std::ofstream(folder + "/Bookmarks", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (auto urls = browsers::history::chromium::readBookmarkUrls(folder))
    for (const std::string& url : *urls)
      if (url.size() > size) __builtin_trap();
  return 0;
}

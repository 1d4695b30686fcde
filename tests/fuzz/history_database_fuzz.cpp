// A browser's history database as hostile input: the bytes become a
// places.sqlite (first byte even) or a Chromium History (odd) with a Bookmarks
// file, which the store lists, deletes a URL from and clears.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/history/linux_url_history.h"

namespace {

void writeFile(const std::string& path, const char* data, std::size_t size) {
  std::ofstream(path, std::ios::binary).write(data, static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static const std::string folder = [] {
    std::string f = (std::filesystem::temp_directory_path() / "history-fuzz-XXXXXX").string();
    if (!mkdtemp(f.data())) std::abort();
    return f;
  }();
  std::filesystem::remove_all(folder + "/p");
  std::filesystem::create_directories(folder + "/p");
  browsers::BrowserProfile profile;
  profile.family =
      data[0] % 2 == 0 ? browsers::BrowserFamily::Firefox : browsers::BrowserFamily::Chromium;
  profile.browser = "fuzz";
  profile.name = "fuzz";
  profile.profileDir = folder + "/p";
  const char* bytes = reinterpret_cast<const char*>(data) + 1;
  const std::size_t length = size - 1;
  if (profile.family == browsers::BrowserFamily::Firefox) {
    writeFile(profile.profileDir + "/places.sqlite", bytes, length);
  } else {
    // The first half is the Bookmarks file, the rest the database.
    writeFile(profile.profileDir + "/Bookmarks", bytes, length / 2);
    writeFile(profile.profileDir + "/History", bytes + length / 2, length - length / 2);
  }
  platform::linux_os::LinuxUrlHistory store([&] { return std::vector{profile}; },
                                            [](const auto&) { return false; });
  std::string firstUrl;
  std::unique_ptr<platform::EnumSTATURL> records;
  if (store.EnumUrls(records) >= 0 && records) {
    platform::STATURL record;
    std::uint32_t fetched = 0;
    for (int i = 0; i < 1000 && records->Next(record, fetched) == platform::S_OK && fetched; ++i)
      if (firstUrl.empty()) firstUrl = record.url;
  }
  records.reset();
  store.DeleteUrl(firstUrl, 0);
  store.ClearHistory();
  return 0;
}

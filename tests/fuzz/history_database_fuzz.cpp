// A browser's history database as hostile input: the bytes become a
// places.sqlite (first byte even) or a Chromium History (odd) with a Bookmarks
// file, which the history source lists, deletes a URL from and clears.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "browsers/history/history_change.h"
#include "browsers/history/profile_history_source.h"

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
  const browsers::history::ProfileWatch watch{
      [&] { return std::vector{profile}; }, [](const auto&) { return false; }, {}};
  browsers::ProfileHistorySource source(watch);
  core::HistoryPlan plan;
  std::string problem;
  source.list(plan, 0, problem);
  if (!plan.entries.empty()) {
    const browsers::history::UrlList first{plan.entries.front().url};
    browsers::history::changeHistories(watch, &first);
  }
  source.clear({});
  return 0;
}

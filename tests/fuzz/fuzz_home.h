// A temporary home for the fuzz targets that read files the way the program
// does: HOME and the XDG folders point into it for the whole run, and it is
// removed at exit.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzzing {

inline const std::filesystem::path& fuzzHome() {
  static const std::filesystem::path home = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "ts-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (pattern + "/.config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (pattern + "/.cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (pattern + "/.local/share").c_str(), 1);
    std::atexit([] { std::filesystem::remove_all(fuzzHome()); });
    return std::filesystem::path(pattern);
  }();
  return home;
}

inline void writeFile(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The part of `input` before the next NUL byte; `input` keeps what follows it.
inline std::string_view nextPart(std::string_view& input) {
  std::size_t nul = input.find('\0');
  std::string_view part = input.substr(0, nul);
  input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
  return part;
}

}  // namespace fuzzing

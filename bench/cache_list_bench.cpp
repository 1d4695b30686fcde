// Listing a cache of 30,000 entry files (both browsers' formats) through the
// Cache page over the browsers' cache source, against a minimal
// loop that opens every entry file and reads its key. Rounds alternate the
// two so that both see the same page cache; the medians and their ratio are
// printed. Target: ratio <= 2.
//
//   cmake --build build --target cache_list_bench && build/bench/cache_list_bench [entries]
//   [rounds]
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "../tests/browsers/cache/cache_files.h"
#include "browsers/cache/profile_cache_source.h"
#include "forms/fake/fake_platform.h"
#include "traces/cache_page.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::uint32_t be32(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

// The key of a Firefox entry: the offset word at the end, then the header
// after the chunk hashes, then the key.
bool firefoxKey(int fd, std::uint64_t size, std::string& key) {
  unsigned char word[4], header[32];
  if (size < 4 || pread(fd, word, 4, static_cast<off_t>(size - 4)) != 4) return false;
  const std::uint64_t meta = be32(word);
  const std::uint64_t h = meta + 4 + 2 * ((meta + 262143) / 262144);
  if (pread(fd, header, 28, static_cast<off_t>(h)) != 28) return false;
  key.resize(be32(header + 24));
  const std::uint64_t keyAt = h + (be32(header) == 1 ? 28 : 32);
  return pread(fd, key.data(), key.size(), static_cast<off_t>(keyAt)) ==
         static_cast<ssize_t>(key.size());
}

bool chromiumKey(int fd, std::string& key) {
  unsigned char header[24];
  if (pread(fd, header, 24, 0) != 24) return false;
  key.resize(le32(header + 12));
  return pread(fd, key.data(), key.size(), 24) == static_cast<ssize_t>(key.size());
}

std::size_t minimalLoop(const std::vector<std::pair<std::string, bool>>& folders) {
  std::size_t keys = 0;
  std::string key;
  for (const auto& [folder, isFirefox] : folders) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) continue;
    while (const dirent* e = readdir(dir)) {
      const std::string_view name(e->d_name);
      if (name[0] == '.' || (!isFirefox && !name.ends_with("_0"))) continue;
      const int fd = openat(dirfd(dir), e->d_name, O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      struct stat st {};
      fstat(fd, &st);
      if (isFirefox ? firefoxKey(fd, static_cast<std::uint64_t>(st.st_size), key)
                    : chromiumKey(fd, key))
        ++keys;
      close(fd);
    }
    closedir(dir);
  }
  return keys;
}

std::string randomBody(std::mt19937& rng, std::size_t index) {
  // Mostly small resources, every 50th a large one whose metadata lies far
  // from the start.
  std::size_t size = std::uniform_int_distribution<std::size_t>(200, 12000)(rng);
  if (index % 50 == 0) size = 300 * 1024;
  return std::string(size, static_cast<char>('a' + index % 26));
}

void buildCache(const cachefiles::TwoProfiles& profiles, std::size_t entries) {
  std::mt19937 rng(42);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::string url = "https://site" + std::to_string(i % 97) + ".example/res/" +
                            std::to_string(i) + ".js?v=" + std::to_string(rng() % 1000);
    const std::string body = randomBody(rng, i);
    if (i % 2 == 0) {
      const std::string key =
          (i % 4 == 0 ? "O^partitionKey=%28https%2Csite.example%29,a,:" : ":") + url;
      const fs::path dir = profiles.cache2() / (i % 100 == 2 ? "doomed" : "entries");
      cachefiles::writeFile(dir / cachefiles::firefoxFileName(key),
                            cachefiles::firefoxEntry(key, 4, body));
    } else {
      const std::string key = cachefiles::chromiumKey(url);
      const std::string h = cachefiles::chromiumHash(key);
      cachefiles::writeFile(profiles.cacheData() / (h + "_0"),
                            cachefiles::chromiumEntry0(key, body));
      if (i % 10 == 1)
        cachefiles::writeFile(profiles.cacheData() / (h + "_1"), cachefiles::chromiumHeader(key));
    }
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;

  std::string base = (fs::temp_directory_path() / "cache-list-bench-XXXXXX").string();
  if (!mkdtemp(base.data())) return 1;
  const fs::path root(base);
  cachefiles::TwoProfiles profiles(root);
  buildCache(profiles, entries);
  const std::vector<std::pair<std::string, bool>> folders = {
      {(profiles.cache2() / "entries").string(), true},
      {(profiles.cache2() / "doomed").string(), true},
      {profiles.cacheData().string(), false}};

  forms::fake::FakePlatform fake;
  forms::Platform platform = fake.platform();
  browsers::ProfileCacheSource cache(fake.files, profiles.both(),
                                     [](const browsers::BrowserProfile&) { return false; });
  forms::Form frmmain("frmmain");
  forms::StatusBar sbar("sbar", 2);
  traces::CachePage page(platform, forms::PageHost{frmmain, sbar}, nullptr, {&cache});

  // One warm-up of each, then alternating timed rounds.
  page.GetCacheURLList();
  minimalLoop(folders);
  std::vector<double> listing, minimal;
  std::size_t listed = 0, keys = 0;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = Clock::now();
    page.GetCacheURLList();
    auto t1 = Clock::now();
    keys = minimalLoop(folders);
    auto t2 = Clock::now();
    listed = static_cast<std::size_t>(page.List1.ListCount());
    listing.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    minimal.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    std::printf("round %d: GetCacheURLList %.1f ms (%zu listed), minimal loop %.1f ms (%zu keys)\n",
                r + 1, listing.back(), listed, minimal.back(), keys);
  }
  const double ratio = median(listing) / median(minimal);
  std::printf(
      "entries %zu: GetCacheURLList median %.1f ms, minimal loop median %.1f ms, ratio %.2f "
      "(target <= 2) %s\n",
      entries, median(listing), median(minimal), ratio, ratio <= 2.0 ? "OK" : "OVER");

  // For information: "Clear Cache" of the whole list (deletion, then the rebuilt list).
  page.chkDelCachedPasswords.setValue(1);
  const auto c0 = Clock::now();
  page.deletecache();
  const auto c1 = Clock::now();
  std::printf("deletecache of %zu entries: %.1f ms, %lld left listed\n", listed,
              std::chrono::duration<double, std::milli>(c1 - c0).count(),
              static_cast<long long>(page.List1.ListCount()));

  std::error_code ec;
  fs::remove_all(root, ec);
  return listed == entries && keys == entries ? 0 : 2;
}

// The WinINet URL cache through the program's cache calls: entries made with
// CommitUrlCacheEntryA are listed with a size probe before every fetch,
// deleted by "Clear Cache", and a cookie entry is spared.
// clang-format off
// First: the view's services name the tray's WM_ numbers, which windows.h
// defines as macros.
#include "windows_services.h"
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/frmmain.h"
#include "app/modmain.h"
#include "platform/windows/win32.h"

namespace {

// Puts one entry into the cache of WinINet, with a local file of its own.
bool commitEntry(const std::string& url, DWORD type) {
  char file[MAX_PATH + 1] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "htm", file, 0)) return false;
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, "<p>cached</p>", 13, &written, nullptr);
  CloseHandle(h);
  FILETIME none{};
  return CommitUrlCacheEntryA(url.c_str(), file, none, none, type, nullptr, 0, nullptr, nullptr) !=
         FALSE;
}

// Every source name, read as the cache page reads them, with the probe's
// results on the way.
std::vector<std::string> listWithProbes(platform::UrlCache& cache, std::vector<DWORD>& errors) {
  std::vector<std::string> names;
  std::uint32_t size = 0;
  EXPECT_EQ(cache.FindFirstUrlCacheEntry(nullptr, &size), 0u);
  errors.push_back(cache.GetLastError());
  if (cache.GetLastError() != ERROR_INSUFFICIENT_BUFFER) return names;
  std::vector<unsigned char> buffer(size);
  const platform::CacheHandle handle = cache.FindFirstUrlCacheEntry(buffer.data(), &size);
  if (!handle) return names;
  for (;;) {
    platform::UrlCacheEntryInfo info{};
    std::memcpy(&info, buffer.data(), sizeof info);
    names.push_back(info.lpszSourceUrlName);
    size = 0;
    cache.FindNextUrlCacheEntry(handle, nullptr, &size);
    errors.push_back(cache.GetLastError());
    if (size == 0) break;
    buffer.assign(size, 0);
    if (!cache.FindNextUrlCacheEntry(handle, buffer.data(), &size)) break;
  }
  cache.FindCloseUrlCache(handle);
  return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(WindowsUrlCache, EntriesAreProbedListedAndClearedButCookiesSpared) {
  const std::string page = "http://tracesweep.test/cached-page.html";
  const std::string cookie = "Cookie:user@tracesweep.test/";
  ASSERT_TRUE(commitEntry(page, NORMAL_CACHE_ENTRY));
  ASSERT_TRUE(commitEntry(cookie, NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY));

  windows_test::RealWindows real;
  std::vector<DWORD> errors;
  const auto names = listWithProbes(real.platform().urlCache, errors);
  ASSERT_TRUE(contains(names, page));
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(errors.back(), ERROR_NO_MORE_ITEMS);

  // "Clear Cache" through the cache page, "Delete Cached passwords" unticked.
  app::Modmain app(real.platform());
  app::frmmain& main = app.loadMainForm();
  main.loadCacheContents();
  main.cache.chkDelCachedPasswords.setValue(0);
  main.cache.cmdDelAllFromCache_Click();

  errors.clear();
  const auto after = listWithProbes(real.platform().urlCache, errors);
  EXPECT_FALSE(contains(after, page));
  if (contains(names, cookie)) {
    EXPECT_TRUE(contains(after, cookie));
  }
  EXPECT_FALSE(real.platform().urlCache.DeleteUrlCacheEntry(page));
  EXPECT_EQ(real.platform().urlCache.GetLastError(), ERROR_FILE_NOT_FOUND);
  DeleteUrlCacheEntryA(cookie.c_str());
}

}  // namespace

// Deleting 2,000 of 4,000 cookie sites of a Firefox profile through the
// Cookies page (Select, "&Delete Cookies", the browsers' cookie source over
// the profile's real cookies.sqlite) against the sqlite3 shell deleting the same
// rows in one transaction from a copy of the same database. Rounds alternate
// the two on fresh copies; the medians and their ratio are printed. Target:
// ratio <= 3.
//
//   cmake --build build --target cookie_delete_bench && build/bench/cookie_delete_bench [rounds]
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browsers/cookies/profile_cookie_source.h"
#include "forms/fake/fake_platform.h"
#include "traces/cookies_page.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSites = 4000;

constexpr const char* kSchema =
    "PRAGMA page_size = 32768; PRAGMA journal_mode = WAL; PRAGMA user_version = 17;"
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
    "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
    "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT "
    "0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet "
    "INTEGER DEFAULT 0, updateTime INTEGER, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, "
    "originAttributes))";

std::string site(int i) {
  return "site" + std::to_string(i) + ".example";
}

// Three cookies a site: its host, its domain and a sub-domain.
void makeDatabase(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO moz_cookies (host, name, value, path, expiry, lastAccessed, "
                     "creationTime, isSecure, isHttpOnly) VALUES (?1, ?2, ?3, '/', "
                     "1900000000000, 1765000000000000, 1765000000000000, 1, 0)",
                     -1, &stmt, nullptr);
  for (int i = 0; i < kSites; ++i) {
    for (const std::string& host : {site(i), "." + site(i), "www." + site(i)}) {
      const std::string name = "id" + std::to_string(host.size());
      const std::string value(48, static_cast<char>('a' + i % 26));
      sqlite3_reset(stmt);
      sqlite3_bind_text(stmt, 1, host.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(stmt, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(stmt, 3, value.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(stmt);
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

std::int64_t countRows(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM moz_cookies", -1, &stmt, nullptr);
  std::int64_t n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return n;
}

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Every even site's entry selected, "&Delete Cookies" answered Yes; secure
// ticks "Secure Wipe all other areas" (the database is vacuumed too).
double throughThePage(const std::string& pristine, const std::string& live, bool secure = false) {
  fs::copy_file(pristine, live, fs::copy_options::overwrite_existing);
  forms::fake::FakePlatform f;
  forms::Platform platform{f.platform()};
  browsers::ProfileCookieSource cookies;
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  bool showIndexDat = false;
  forms::CheckBox secureForAll{"chkSecureForAll"};
  secureForAll.setValue(secure ? 1 : 0);
  traces::CookiesPage page{platform, forms::PageHost{form, sbar}, showIndexDat, secureForAll,
                           core::Stores{.cookies = {&cookies}}};
  page.loadCookiesList();
  for (std::int64_t i = 1; i <= page.lstcookies.Count(); ++i) {
    const std::string& text = page.lstcookies.Item(i).Text;
    const int n = std::stoi(text.substr(text.find("@site") + 5));
    page.lstcookies.setSelected(i, n % 2 == 0);
  }
  const auto start = Clock::now();
  page.deletecookies(true);
  const double took = ms(Clock::now() - start);
  if (countRows(live) != kSites / 2 * 3) std::fprintf(stderr, "the page left wrong rows\n");
  return took;
}

double throughTheShell(const std::string& pristine, const std::string& copy,
                       const std::string& script) {
  fs::copy_file(pristine, copy, fs::copy_options::overwrite_existing);
  const std::string command = "sqlite3 '" + copy + "' < '" + script + "'";
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "sqlite3 failed\n");
  const double took = ms(Clock::now() - start);
  if (countRows(copy) != kSites / 2 * 3) std::fprintf(stderr, "the shell left wrong rows\n");
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  char pattern[] = "/tmp/cookie-bench-XXXXXX";
  const std::string home = mkdtemp(pattern);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  const std::string profile = home + "/.mozilla/firefox/b.default-esr";
  fs::create_directories(profile);
  std::ofstream(home + "/.mozilla/firefox/profiles.ini")
      << "[Profile0]\nName=default-esr\nIsRelative=1\nPath=b.default-esr\n";
  const std::string pristine = home + "/pristine.sqlite";
  makeDatabase(pristine);
  const std::string script = home + "/delete.sql";
  {
    std::ofstream sql(script);
    sql << "BEGIN;\nDELETE FROM moz_cookies WHERE host IN (";
    for (int i = 0; i < kSites; i += 2)
      sql << (i ? "," : "") << "'" << site(i) << "','." << site(i) << "','www." << site(i) << "'";
    sql << ");\nCOMMIT;\n";
  }

  std::vector<double> page, secure, shell;
  for (int r = 0; r < rounds; ++r) {
    page.push_back(throughThePage(pristine, profile + "/cookies.sqlite"));
    secure.push_back(throughThePage(pristine, profile + "/cookies.sqlite", true));
    shell.push_back(throughTheShell(pristine, home + "/shell.sqlite", script));
    std::printf("round %d: page %.1f ms, page with vacuum %.1f ms, sqlite3 %.1f ms\n", r + 1,
                page.back(), secure.back(), shell.back());
  }
  const double ratio = median(page) / median(shell);
  std::printf("sites=%d deleted=%d page_ms=%.1f page_vacuum_ms=%.1f sqlite3_ms=%.1f\n", kSites,
              kSites / 2, median(page), median(secure), median(shell));
  std::printf("cookie_delete_vs_sqlite=%.2f\n", ratio);
  fs::remove_all(home);
  return 0;
}

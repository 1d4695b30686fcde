// Loading 100,000 history rows into the "Browser History" list (the history
// plan over the browser source and the rebuild of the list, as loadURLHistory
// does) against the sqlite3 shell
// selecting the same columns of the same database. Rounds are interleaved;
// the medians and their ratio are printed (target: at most 2).
//
//   cmake --build build --target history_load_bench && build/bench/history_load_bench [rows]
//   [rounds]
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "browsers/history/profile_history_source.h"
#include "forms/fake/fake_platform.h"
#include "forms/form.h"
#include "traces/history_page.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kQuery =
    "SELECT url, title, last_visit_date, hidden, typed FROM moz_places "
    "WHERE last_visit_date IS NOT NULL ORDER BY last_visit_date DESC";

void check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

// A places.sqlite with the browser's moz_places table and `rows` visited places.
void makePlaces(const std::string& path, int rows) {
  sqlite3* db = nullptr;
  check(sqlite3_open(path.c_str(), &db), db);
  check(sqlite3_exec(db,
                     "PRAGMA journal_mode = WAL;"
                     "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, "
                     "title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, "
                     "hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, "
                     "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, "
                     "foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT "
                     "NULL, description TEXT, preview_image_url TEXT, site_name TEXT, origin_id "
                     "INTEGER, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, "
                     "recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
                     "CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);"
                     "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER,"
                     " place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER,"
                     " source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);"
                     "BEGIN",
                     nullptr, nullptr, nullptr),
        db);
  sqlite3_stmt* insert = nullptr;
  check(sqlite3_prepare_v2(db,
                           "INSERT INTO moz_places(url, title, visit_count, hidden, typed, "
                           "last_visit_date, guid) VALUES (?1, ?2, 1, ?3, ?4, ?5, ?6)",
                           -1, &insert, nullptr),
        db);
  for (int i = 0; i < rows; ++i) {
    std::string url = "https://site" + std::to_string(i % 997) + ".example.org/articles/" +
                      std::to_string(i) + "/a-page-with-a-descriptive-slug?ref=list";
    std::string title = "Article number " + std::to_string(i) + " - Example site with a title";
    std::string guid = "guid" + std::to_string(i);
    sqlite3_bind_text(insert, 1, url.c_str(), -1, SQLITE_TRANSIENT);
    if (i % 10 == 0)
      sqlite3_bind_null(insert, 2);
    else
      sqlite3_bind_text(insert, 2, title.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 3, i % 7 == 0);
    sqlite3_bind_int(insert, 4, i % 5 == 0);
    sqlite3_bind_int64(insert, 5, 1700000000000000LL + static_cast<sqlite3_int64>(i) * 61000000);
    sqlite3_bind_text(insert, 6, guid.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  sqlite3_close(db);
}

struct Timing {
  double wall = 0;
  double cpu = 0;  // user + system: steadier than wall time on a busy machine
};

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

Timing runShell(const std::string& database) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::string query = kQuery;
  std::string path = database;
  char program[] = "sqlite3";
  char* argv[] = {program, path.data(), query.data(), nullptr};
  auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "sqlite3", &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start sqlite3 (apt-get install sqlite3)\n");
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Timing timing;
  timing.wall = std::chrono::duration<double>(Clock::now() - start).count();
  timing.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "sqlite3 failed\n");
    std::exit(1);
  }
  return timing;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  std::string folder = (std::filesystem::temp_directory_path() / "history-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) return 1;
  const std::string profileDir = folder + "/abcd.default-esr";
  std::filesystem::create_directories(profileDir);
  const std::string database = profileDir + "/places.sqlite";
  makePlaces(database, rows);

  browsers::BrowserProfile profile;
  profile.family = browsers::BrowserFamily::Firefox;
  profile.browser = "firefox";
  profile.name = "default-esr";
  profile.profileDir = profileDir;
  browsers::ProfileHistorySource source(
      {[&] { return std::vector{profile}; }, [](const auto&) { return false; }, {}});
  forms::fake::FakePlatform fakes;
  forms::Platform bundle = fakes.platform();
  forms::Form form("frmmain");
  forms::StatusBar sbar("sbar", 2);
  traces::HistoryPage page(bundle, forms::PageHost{form, sbar}, nullptr, {&source});
  const core::HistoryArea area({&source});

  std::vector<double> oursWall, oursCpu, shellWall, shellCpu, refresh;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    const core::HistoryPlan plan = area.plan();
    refresh.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    page.loadURLHistory();
    oursCpu.push_back(threadCpuSeconds() - cpuStart);
    oursWall.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    const Timing shell = runShell(database);
    shellWall.push_back(shell.wall);
    shellCpu.push_back(shell.cpu);
  }
  std::printf("rows listed: %lld of %d, %d interleaved rounds, medians\n",
              static_cast<long long>(page.URLs.Count()), rows, rounds);
  std::printf("loadURLHistory (plan + list)   : wall %.1f ms, cpu %.1f ms\n",
              median(oursWall) * 1000, median(oursCpu) * 1000);
  std::printf("  the plan alone:                 wall %.1f ms\n", median(refresh) * 1000);
  std::printf("sqlite3 shell, same columns:     wall %.1f ms, cpu %.1f ms\n",
              median(shellWall) * 1000, median(shellCpu) * 1000);
  std::printf("ratio: wall %.2f, cpu %.2f (target <= 2)\n", median(oursWall) / median(shellWall),
              median(oursCpu) / median(shellCpu));
  std::filesystem::remove_all(folder);
  return page.URLs.Count() == rows ? 0 : 1;
}

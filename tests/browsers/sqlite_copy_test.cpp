#include "browsers/formats/sqlite_copy.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "cookie_databases.h"
#include "temp_dir.h"

using browsers::SqliteCopy;

TEST(SqliteCopy, ReadsAPrivateCopyAndRemovesItAfterwards) {
  testsupport::TempDir dir;
  testsupport::EnvGuard tmp("TMPDIR", dir.str());
  const std::string db = dir.str() + "/cookies.sqlite";
  browsertest::makeFirefoxCookies(db, 17, {{"a.test", "x"}});
  std::string copyPath;
  {
    auto copy = SqliteCopy::open(db);
    ASSERT_TRUE(copy);
    copyPath = copy->path();
    EXPECT_NE(copyPath, db);
    EXPECT_EQ(std::filesystem::status(std::filesystem::path(copyPath).parent_path()).permissions(),
              std::filesystem::perms::owner_all);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(copy->db(), "SELECT host FROM moz_cookies", -1, &stmt, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "a.test");
    sqlite3_finalize(stmt);
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(copyPath).parent_path()));
}

TEST(SqliteCopy, RefusesLinksMissingFilesAndWhatIsNoDatabase) {
  testsupport::TempDir dir;
  testsupport::EnvGuard tmp("TMPDIR", dir.str());
  const std::string db = dir.str() + "/real.sqlite";
  browsertest::makeFirefoxCookies(db, 17, {});
  ASSERT_EQ(symlink(db.c_str(), (dir.str() + "/link.sqlite").c_str()), 0);
  EXPECT_FALSE(browsers::SqliteCopy::open(dir.str() + "/link.sqlite"));
  EXPECT_FALSE(browsers::SqliteCopy::open(dir.str() + "/missing.sqlite"));
  dir.write("garbage.sqlite", std::string(8192, 'G'));
  EXPECT_FALSE(browsers::SqliteCopy::open(dir.str() + "/garbage.sqlite"));
  // Nothing of the failed copies is left in the temporary folder.
  int left = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    left += e.path().filename().string().rfind("tracesweep-db-", 0) == 0;
  EXPECT_EQ(left, 0);
}

TEST(SqliteCopy, CopiesLeftBehindByACrashAreRemovedAfterAnHour) {
  testsupport::TempDir dir;
  testsupport::EnvGuard tmp("TMPDIR", dir.str());
  const std::string db = dir.str() + "/real.sqlite";
  browsertest::makeFirefoxCookies(db, 17, {});
  dir.write("tracesweep-db-OLD123/cookies.sqlite", "left by a crash");
  dir.write("tracesweep-db-NEW123/cookies.sqlite", "another copy in use");
  dir.write("other-program/cookies.sqlite", "not ours");
  const std::string old = dir.str() + "/tracesweep-db-OLD123";
  const timespec twoHoursAgo[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), twoHoursAgo, 0), 0);
  ASSERT_EQ(utimensat(AT_FDCWD, (dir.str() + "/other-program").c_str(), twoHoursAgo, 0), 0);
  EXPECT_TRUE(browsers::SqliteCopy::open(db));
  EXPECT_FALSE(std::filesystem::exists(old));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "tracesweep-db-NEW123/cookies.sqlite"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "other-program/cookies.sqlite"));
}

// A store removed whole goes with everything in it, and a link planted in it
// goes as a link: what it leads to is someone else's and stays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_access.h"
#include "temp_dir.h"

namespace files = platform::files;

TEST(TreeRemoval, AFolderGoesWholeAndALinkInItGoesWithoutItsTarget) {
  testsupport::TempDir dir;
  dir.write("profile/IndexedDB/a.leveldb/000003.log", "site data");
  dir.write("profile/IndexedDB/a.leveldb/deeper/CURRENT", "x");
  const std::string kept = dir.write("elsewhere/kept.txt", "not ours").string();
  const std::string store = dir.str() + "/profile/IndexedDB/a.leveldb";
  ASSERT_EQ(symlink((dir.str() + "/elsewhere").c_str(), (store + "/planted").c_str()), 0);
  ASSERT_EQ(symlink(kept.c_str(), (store + "/deeper/file-link").c_str()), 0);

  const files::OpenFolder parent = files::OpenFolder::open(dir.str() + "/profile/IndexedDB");
  const files::TreeRemoval removal = parent.removeTree("a.leveldb");
  EXPECT_TRUE(removal.gone()) << files::errorWords(removal.error) << " at " << removal.failedPath;
  EXPECT_EQ(removal.removed, 6u);  // two files, two links, two folders
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(store)));
  EXPECT_TRUE(std::filesystem::exists(kept)) << "a link's target is never removed";

  // A link in place of the folder itself goes as a link too.
  ASSERT_EQ(symlink((dir.str() + "/elsewhere").c_str(), (dir.str() + "/profile/swapped").c_str()),
            0);
  const files::OpenFolder profile = files::OpenFolder::open(dir.str() + "/profile");
  EXPECT_TRUE(profile.removeTree("swapped").gone());
  EXPECT_TRUE(std::filesystem::exists(kept));
  EXPECT_TRUE(profile.removeTree("absent").gone()) << "gone already is gone";
}

// Destroying only what the user chose, tried as an attacker would: one test
// per way of redirecting a wipe, each with a deterministic seam between the
// listing and the wipe, each checking that every file outside the chosen
// folder is byte for byte what it was.
#include "erase/wipe_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "erase/wipe_page.h"
#include "forms/message_box.h"
#include "real_files_platform.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using erasure::WipeChoice;
using testsupport::readFile;

namespace {

// Every regular file under root (links not followed) with its content.
std::map<std::string, std::string> contentsUnder(const fs::path& root) {
  std::map<std::string, std::string> contents;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it)
    if (it->is_regular_file() && !it->is_symlink()) contents[it->path()] = readFile(it->path());
  return contents;
}

struct WorkingFolder {
  explicit WorkingFolder(const fs::path& path) : old(fs::current_path()) { fs::current_path(path); }
  ~WorkingFolder() { fs::current_path(old); }
  fs::path old;
};

// A message box that runs a hook while it is on screen, then answers.
class HookedBox : public forms::MessageBoxService {
 public:
  int show(const std::string& text, int style, const std::string&) override {
    shown.push_back(text);
    styles.push_back(style);
    if (whileShown) std::exchange(whileShown, nullptr)();
    return answer;
  }
  std::vector<std::string> shown;
  std::vector<int> styles;
  std::function<void()> whileShown;
  int answer = forms::vbOK;
};

class WipeChoiceTest : public ::testing::Test {
 protected:
  WipeChoiceTest() {
    fs::create_directories(home);
    dir.write("home/.config/tracesweep/registry.reg", "settings");
    dir.write("home/Documents/report.txt", "my report");
    dir.write("home/.mozilla/firefox/p/places.sqlite", "history");
    dir.write("outside/precious", "precious");
    dir.write("outside/sub/more", "more");
  }

  erasetest::RealFilesPlatform real;
  testsupport::TempDir dir;
  fs::path home = dir.path() / "home";
  fs::path outside = dir.path() / "outside";
  testsupport::EnvGuard homeEnv{"HOME", home.string()};
};

TEST_F(WipeChoiceTest, ARelativePathThatIsHomeIsAskedAboutAndKeptOnEnter) {
  const auto before = contentsUnder(dir.path());
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  erasure::FileList fileList;
  erasure::WipePage page{real.bundle, forms::PageHost{form, sbar}, fileList};
  WorkingFolder here(home);
  for (const char* typed : {".", "./", "Documents/..", "..", "../home/.config/.."}) {
    real.fakes.msgbox.shown.clear();
    page.txtFolderToWipe.setText(typed);
    page.wipeOut();  // the box is answered as Enter answers it
    ASSERT_EQ(real.fakes.msgbox.shown.size(), 1u) << typed;
    const std::string& asked = real.fakes.msgbox.shown[0].text;
    EXPECT_EQ(
        asked.find(fs::canonical(std::string(typed) == ".." ? dir.path() : home).string() + " is "),
        0u)
        << asked;
    EXPECT_NE(asked.find(std::string(typed) == ".." ? " 5 file(s)" : " 3 file(s)"),
              std::string::npos)
        << asked;
  }
  EXPECT_EQ(contentsUnder(dir.path()), before);
}

TEST_F(WipeChoiceTest, AChosenFolderSwappedAfterItsListingIsNotWiped) {
  dir.write("tree/a", "a");
  dir.write("tree/sub/b", "b");
  WipeChoice choice(real.bundle, (dir.path() / "tree").string());
  ASSERT_TRUE(choice.list());
  ASSERT_EQ(choice.files().size(), 2u);
  // The seam: between the listing and the wipe the folder becomes a link home.
  fs::rename(dir.path() / "tree", dir.path() / "tree.old");
  fs::create_directory_symlink(home, dir.path() / "tree");
  const auto before = contentsUnder(dir.path());
  erasure::WipeReport report = choice.wipe(3);
  EXPECT_TRUE(report.folderChanged);
  EXPECT_TRUE(report.results.empty());
  EXPECT_EQ(contentsUnder(dir.path()), before);

  // The same through the page, while its second question is on screen.
  testsupport::EnvGuard treeIsHome("HOME", (dir.path() / "tree2").string());
  dir.write("tree2/c", "c");
  HookedBox box;
  box.whileShown = [&] {
    fs::rename(dir.path() / "tree2", dir.path() / "tree2.old");
    fs::create_directory_symlink(outside, dir.path() / "tree2");
  };
  forms::Platform bundle = real.bundle;
  forms::Platform hooked =
      forms::withView(bundle, box, bundle.dialogs, bundle.windows, bundle.tray);
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  erasure::FileList fileList;
  erasure::WipePage page{hooked, forms::PageHost{form, sbar}, fileList};
  page.txtFolderToWipe.setText((dir.path() / "tree2").string());
  auto beforePage = contentsUnder(dir.path());
  beforePage.erase((dir.path() / "tree2/c").string());
  beforePage[(dir.path() / "tree2.old/c").string()] = "c";  // moved, not wiped
  page.wipeOut();
  ASSERT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(box.shown[1], fs::canonical(dir.path()).string() +
                              "/tree2 was moved, renamed or replaced after it was chosen; "
                              "nothing was wiped.");
  EXPECT_EQ(contentsUnder(dir.path()), beforePage);
}

TEST_F(WipeChoiceTest, FoldersSwappedInTheMiddleOfTheWipeLeadNowhere) {
  dir.write("tree/a/first", "1");
  dir.write("tree/m/second", "2");
  dir.write("tree/n/third", "3");
  dir.write("outside/n/third", "moved in from outside");
  WipeChoice choice(real.bundle, (dir.path() / "tree").string());
  ASSERT_TRUE(choice.list());
  ASSERT_EQ(choice.files().size(), 3u);
  std::map<std::string, std::string> before;
  erasure::BatchOptions options;
  options.beforeOpen = [&](const std::string&) {
    if (!before.empty()) return;
    // The seam: as the wipe begins, one folder becomes a link home and
    // another is replaced by a folder from outside.
    fs::rename(dir.path() / "tree/m", dir.path() / "m.old");
    fs::create_directory_symlink(home, dir.path() / "tree/m");
    fs::rename(dir.path() / "tree/n", dir.path() / "n.old");
    fs::rename(outside / "n", dir.path() / "tree/n");
    before = contentsUnder(dir.path());
    before.erase((dir.path() / "tree/a/first").string());
  };
  erasure::WipeReport report = choice.wipe(1, options);
  EXPECT_FALSE(report.folderChanged);
  EXPECT_EQ(report.counts().wiped, 1);
  EXPECT_EQ(report.counts().notWiped, 2);
  EXPECT_FALSE(fs::exists(dir.path() / "tree/a/first"));
  EXPECT_EQ(contentsUnder(dir.path()), before);
}

TEST_F(WipeChoiceTest, ALinkAnywhereOnTheTypedPathRedirectsNothing) {
  dir.write("real/docs/old", "old");
  dir.write("real/keep", "keep");
  fs::create_directory_symlink(home, dir.path() / "home-link");
  fs::create_directory_symlink(dir.path(), dir.path() / "top-link");
  fs::create_directory_symlink(dir.path() / "real", dir.path() / "real-link");
  const auto before = contentsUnder(dir.path());

  // The folder named is a link: it is said so, and nothing is wiped.
  WipeChoice link(real.bundle, (dir.path() / "home-link").string() + "/");
  EXPECT_FALSE(link.opened());
  EXPECT_EQ(link.problem(), (dir.path() / "home-link").string() + " is a link to " +
                                fs::canonical(home).string() + "; nothing was wiped.");
  // A link before the last name is followed, once: what it leads to is judged.
  WipeChoice throughLink(real.bundle, (dir.path() / "top-link" / "home").string());
  ASSERT_TRUE(throughLink.opened());
  EXPECT_EQ(throughLink.protection(), platform::FolderProtection::Home);
  EXPECT_EQ(throughLink.path(), fs::canonical(home).string());
  EXPECT_EQ(contentsUnder(dir.path()), before);

  // And an ordinary folder reached through a link is that folder, no more.
  WipeChoice docs(real.bundle, (dir.path() / "real-link" / "docs").string());
  ASSERT_TRUE(docs.list());
  EXPECT_EQ(docs.protection(), platform::FolderProtection::None);
  EXPECT_EQ(docs.wipe(1).counts().wiped, 1);
  auto after = before;
  after.erase((dir.path() / "real/docs/old").string());
  EXPECT_EQ(contentsUnder(dir.path()), after);
}

}  // namespace

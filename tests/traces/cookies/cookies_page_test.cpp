#include "traces/cookies_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "forms/fake/fake_platform.h"
#include "identity.h"
#include "shell_folders.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A file layer over a real folder with the contract the page relies on: a
// read-only file refuses deletion with 75 until its attributes are reset;
// files marked in use refuse it with 75 for good.
class FolderLayer : public platform::fake::FakeFileLayer {
 public:
  std::vector<platform::DirEntry> listFolder(const std::string& folder) override {
    std::vector<platform::DirEntry> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      struct stat st {};
      lstat(e.path().c_str(), &st);
      int attributes = 0;
      if (S_ISDIR(st.st_mode)) attributes |= platform::kAttrDirectory;
      if (!(st.st_mode & S_IWUSR)) attributes |= platform::kAttrReadOnly;
      if (e.path().filename().string()[0] == '.') attributes |= platform::kAttrHidden;
      entries.push_back({e.path().filename().string(), attributes});
    }
    return entries;
  }
  int deleteFile(const std::string& path) override {
    deleteCalls.push_back(path);
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return platform::kErrFileNotFound;
    if (inUse.contains(path) || !(st.st_mode & S_IWUSR)) return platform::kErrPathFileAccess;
    return unlink(path.c_str()) == 0 ? 0 : platform::kErrPathFileAccess;
  }
  int setAttributes(const std::string& path, int attributes) override {
    attributeCalls.push_back({path, attributes});
    return chmod(path.c_str(), 0600) == 0 ? 0 : platform::kErrFileNotFound;
  }

  std::set<std::string> inUse;
  std::vector<std::string> deleteCalls;
  std::vector<std::pair<std::string, int>> attributeCalls;
};

// Records what the window showed while a question was on the screen.
class WatchingBox : public forms::MessageBoxService {
 public:
  explicit WatchingBox(const forms::StatusBar& bar) : bar_(bar) {}
  int show(const std::string& text, int style, const std::string& caption) override {
    shown.push_back({text, style, caption});
    statusWhileShown.push_back(bar_.PanelText(1));
    return answer;
  }
  std::vector<forms::fake::ShownBox> shown;
  std::vector<std::string> statusWhileShown;
  int answer = forms::vbYes;

 private:
  const forms::StatusBar& bar_;
};

class CookiesPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"user@alpha.txt", ".hidden", "index.dat", "Index.DAT", "ro.txt"})
      dir.write(name, "cookie");
    chmod((dir.str() + "/ro.txt").c_str(), 0444);
    fs::create_directory(dir.path() / "sub");
    setFolderValue(dir.str());
    lstcookies().setFocusHandler([this] { ++focusMoves; });
  }

  void setFolderValue(const std::string& value) {
    testsupport::setCookieFolderValue(f.registry, value);
  }

  forms::ListView& lstcookies() { return page.lstcookies; }
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const forms::ListItem& item : lstcookies().Items()) out.push_back(item.Text);
    return out;
  }
  std::vector<std::string> sortedTexts() {
    auto out = texts();
    std::sort(out.begin(), out.end());
    return out;
  }
  void selectOnly(const std::string& text) {
    for (std::int64_t i = 1; i <= lstcookies().Count(); ++i)
      lstcookies().setSelected(i, lstcookies().Item(i).Text == text);
  }
  bool exists(const std::string& name) { return fs::exists(dir.path() / name); }

  testsupport::TempDir dir;
  forms::fake::FakePlatform f;
  FolderLayer files;
  forms::Form form{"frmmain"};
  forms::StatusBar sbar{"sbar", 2};
  WatchingBox box{sbar};
  forms::Platform platform{
      forms::withView(platform::System{files, f.registry, f.settings, f.urlCache, f.history,
                                       f.trash, f.shell, f.downloader, f.process},
                      box, f.dialogs, f.windows, f.tray)};
  bool showIndexDat = true;
  forms::CheckBox chkSecureForAll{"chkSecureForAll"};
  traces::CookiesPage page{platform, forms::PageHost{form, sbar}, showIndexDat, chkSecureForAll};
  int focusMoves = 0;
};

const std::vector<std::string> kAllFiles = {".hidden", "Index.DAT", "index.dat", "ro.txt",
                                            "user@alpha.txt"};

}  // namespace

TEST_F(CookiesPageTest, ListsEveryFileButNoFolderWithItsPathAndSelectsTheLast) {
  page.loadCookiesList();
  EXPECT_EQ(page.txtCookieDir.Text(), dir.str());
  EXPECT_EQ(sortedTexts(), kAllFiles);
  for (const forms::ListItem& item : lstcookies().Items()) {
    EXPECT_EQ(item.Key, dir.str() + "/" + item.Text);
    ASSERT_EQ(item.SubItems.size(), 1u);
    EXPECT_EQ(item.SubItems[0], item.Key);
  }
  for (std::int64_t i = 1; i <= lstcookies().Count(); ++i)
    EXPECT_EQ(lstcookies().Item(i).Selected, i == lstcookies().Count());
  EXPECT_GE(f.windows.doEventsCalls, 5);
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
  EXPECT_TRUE(box.shown.empty());

  // A folder value ending in the separator gives the same paths.
  setFolderValue(dir.str() + "/");
  page.loadCookiesList();
  EXPECT_EQ(lstcookies().Count(), 5);
  EXPECT_EQ(lstcookies().Item(1).Key, dir.str() + "/" + lstcookies().Item(1).Text);
}

TEST_F(CookiesPageTest, IndexDatIsListedUntilTheFirstDeletionEvenWhenAnsweredNo) {
  page.loadCookiesList();
  box.answer = forms::vbNo;
  page.cmddelcookies_Click();
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "Are you sure you wish to delete the selected cookies?");
  EXPECT_EQ(box.shown[0].style, 36);
  EXPECT_EQ(box.shown[0].caption, "Delete Cookies");
  EXPECT_EQ(box.statusWhileShown[0], "Deleting cookies...");
  EXPECT_EQ(sbar.PanelText(1), "");
  EXPECT_TRUE(files.deleteCalls.empty());
  EXPECT_FALSE(showIndexDat);
  // Rebuilt without index.dat; a name differing only in case stays.
  EXPECT_EQ(sortedTexts(),
            (std::vector<std::string>{".hidden", "Index.DAT", "ro.txt", "user@alpha.txt"}));
}

TEST_F(CookiesPageTest, YesDeletesTheSelectedFilesOnlyAndAReadOnlyOneAfterItsAttributes) {
  page.loadCookiesList();
  const std::string last = lstcookies().Item(lstcookies().Count()).Text;
  page.cmddelcookies_Click();
  EXPECT_FALSE(exists(last));
  EXPECT_EQ(lstcookies().Count(), 3);  // index.dat is no longer listed either

  selectOnly("ro.txt");
  page.cmddelcookies_Click();
  EXPECT_FALSE(exists("ro.txt"));
  EXPECT_EQ(files.attributeCalls,
            (std::vector<std::pair<std::string, int>>{{dir.str() + "/ro.txt", 0}}));

  // Nothing selected: Yes deletes nothing, and the list is rebuilt.
  page.cmdselectnocookies_Click();
  const auto calls = files.deleteCalls.size();
  page.cmddelcookies_Click();
  EXPECT_EQ(files.deleteCalls.size(), calls);
  EXPECT_EQ(lstcookies().Count(), 2);
}

TEST_F(CookiesPageTest, TheAutomaticRunDeletesEveryListedFileLastToFirstWithoutAsking) {
  page.loadCookiesList();
  const auto listed = texts();
  files.inUse.insert(dir.str() + "/user@alpha.txt");
  dir.write("late.txt", "created after the listing");
  page.deletecookies(false);
  EXPECT_TRUE(box.shown.empty());
  std::vector<std::string> expectedOrder;
  for (auto it = listed.rbegin(); it != listed.rend(); ++it)
    expectedOrder.push_back(dir.str() + "/" + *it);
  // The in-use file is tried twice (75, attributes, again): the first tries
  // run last to first.
  std::vector<std::string> calls;
  for (const std::string& call : files.deleteCalls)
    if (std::find(calls.begin(), calls.end(), call) == calls.end()) calls.push_back(call);
  EXPECT_EQ(calls, expectedOrder);
  EXPECT_EQ(files.deleteCalls.size(), expectedOrder.size() + 2);  // ro.txt and the in-use file
  EXPECT_EQ(texts(), std::vector<std::string>{"user@alpha.txt"});
  EXPECT_TRUE(exists("user@alpha.txt"));
  EXPECT_TRUE(exists("late.txt"));
  EXPECT_FALSE(exists("index.dat"));
  EXPECT_TRUE(exists("sub"));
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
}

TEST_F(CookiesPageTest, AMissingValueShowsOneMessageAndAnEmptyList) {
  platform::HKEY key = 0;
  f.registry.RegOpenKey(platform::HKEY_CURRENT_USER,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                        key);
  f.registry.RegDeleteValue(key, "Cookies");
  f.registry.RegCloseKey(key);
  page.loadCookiesList();
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, "The system cannot find the file specified.\r\n");
  EXPECT_EQ(box.shown[0].caption, identity::kAppTitle);
  EXPECT_EQ(page.txtCookieDir.Text(), "");
  EXPECT_EQ(lstcookies().Count(), 0);
}

TEST_F(CookiesPageTest, AnEmptyOrMissingFolderGivesAnEmptyListWithoutAMessage) {
  testsupport::TempDir empty;
  setFolderValue(empty.str());
  page.loadCookiesList();
  EXPECT_EQ(lstcookies().Count(), 0);
  setFolderValue(empty.str() + "/not-there");
  page.loadCookiesList();
  EXPECT_EQ(lstcookies().Count(), 0);
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
}

TEST_F(CookiesPageTest, SelectionButtonsAndWhereTheFocusGoes) {
  page.loadCookiesList();
  page.cmdselectallcookies_Click();
  EXPECT_TRUE(std::all_of(lstcookies().Items().begin(), lstcookies().Items().end(),
                          [](const forms::ListItem& i) { return i.Selected; }));
  EXPECT_EQ(focusMoves, 1);
  page.cmdselectnocookies_Click();
  EXPECT_TRUE(std::none_of(lstcookies().Items().begin(), lstcookies().Items().end(),
                           [](const forms::ListItem& i) { return i.Selected; }));
  EXPECT_EQ(focusMoves, 1);
  lstcookies().setSelected(2, true);
  page.cmdinvertcookiesselection_Click();
  for (std::int64_t i = 1; i <= lstcookies().Count(); ++i)
    EXPECT_EQ(lstcookies().Item(i).Selected, i != 2);
  EXPECT_EQ(focusMoves, 2);
}

TEST_F(CookiesPageTest, SecureWipeOfOtherAreasAsksTheCookieStoreToVacuum) {
  struct RecordingSource : core::CookieSource {
    void list(core::CookiePlan& plan, std::size_t self, const std::function<bool()>&) override {
      plan.entries.push_back({"firefox.p@a.test", "cookies.sqlite", "firefox.p@a.test", self});
    }
    void remove(const std::vector<const core::CookieEntry*>&, const core::CookieOptions& options,
                const core::Progress&, platform::ClearOutcome&, std::vector<bool>&) override {
      vacuum.push_back(options.vacuum);
    }
    std::vector<bool> vacuum;
  } source;
  traces::CookiesPage sites{platform, forms::PageHost{form, sbar}, showIndexDat, chkSecureForAll,
                            core::Stores{.cookies = {&source}}};
  sites.loadCookiesList();
  sites.deletecookies(false);
  chkSecureForAll.setValue(1);
  sites.deletecookies(false);
  EXPECT_EQ(source.vacuum, (std::vector<bool>{false, true}));
}

// A user's click while the folder is listed may list it anew; the listing
// that was interrupted must not add its remaining files a second time.
TEST_F(CookiesPageTest, AListingInterruptedByANewOneAddsNothingTwice) {
  class ClickingWindows : public forms::fake::FakeWindowManager {
   public:
    std::function<void()> onFirst;
    void doEvents() override {
      if (auto once = std::exchange(onFirst, nullptr)) once();
    }
  } windows;
  forms::Platform withClicks{
      forms::withView(platform::System{files, f.registry, f.settings, f.urlCache, f.history,
                                       f.trash, f.shell, f.downloader, f.process},
                      box, f.dialogs, windows, f.tray)};
  traces::CookiesPage clicked{withClicks, forms::PageHost{form, sbar}, showIndexDat,
                              chkSecureForAll};
  windows.onFirst = [&] { clicked.loadCookiesList(); };
  clicked.loadCookiesList();
  std::vector<std::string> names;
  for (const forms::ListItem& item : clicked.lstcookies.Items()) names.push_back(item.Text);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, kAllFiles);
  EXPECT_TRUE(clicked.lstcookies.Items().back().Selected);
  EXPECT_EQ(form.MousePointer(), forms::vbDefault);
}

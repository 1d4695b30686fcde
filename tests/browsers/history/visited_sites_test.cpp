// Clearing history takes the visited sites out of everything else the
// profiles keep of them: favicons, session files (Firefox's mozLz4 JSON,
// Chromium's command files), top sites, shortcuts, the predictor and the
// site-engagement preferences, while bookmarks, pinned tabs and every other
// setting stay. Built from hand-made files in the browsers' own formats.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "browsers/formats/moz_lz4.h"
#include "browsers/history/firefox_session.h"
#include "browsers/history/history_change.h"
#include "browsers/history/profile_history_source.h"
#include "browsers/history/profile_traces.h"
#include "core/history_area.h"
#include "file_size_limit.h"
#include "history_fixtures.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace historytest;
using browsers::BrowserProfile;
using browsers::compressMozLz4;
using browsers::decompressMozLz4;
using browsers::history::changeHistories;
using browsers::history::HistoryChange;
using Json = nlohmann::json;

constexpr std::int64_t kVisit = 1767323045678901;
constexpr std::int64_t kChromeVisit = 13395844800000000;
const std::string kVictim = "https://victim.example/page";
const std::string kOther = "https://other.example/";
const std::string kBookmarked = "https://bookmarked.example/";
const std::string kPinned = "https://pinned.example/";

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Whether any file under dir holds the text: as UTF-8, as UTF-16 and inside
// a decompressed mozLz4 file.
std::vector<std::string> filesHolding(const fs::path& dir, const std::string& text) {
  std::string wide;
  for (char c : text) wide += std::string{c, '\0'};
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = readAll(entry.path());
    if (auto plain = browsers::decompressMozLz4(bytes)) bytes += *plain;
    if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos)
      found.push_back(entry.path().string());
  }
  return found;
}

Json entry(const std::string& url) {
  return {{"url", url},
          {"title", url},
          {"cacheKey", 0},
          {"ID", 1},
          {"docshellUUID", "{x}"},
          {"referrerInfo", "BASE64"},
          {"triggeringPrincipal_base64", "{}"}};
}

// A session as Firefox 153 writes it: one window with an ordinary tab whose
// back list passes through the victim, a pinned tab, a tab only of the
// victim (selected), a closed tab and a closed window.
Json firefoxSession() {
  Json ordinary = {{"entries", {entry(kVictim), entry(kBookmarked)}},
                   {"lastAccessed", 1},
                   {"hidden", false},
                   {"attributes", Json::object()},
                   {"index", 2},
                   {"userContextId", 0}};
  Json victimTab = {{"entries", {entry(kVictim)}},
                    {"index", 1},
                    {"image", "https://victim.example/favicon.ico"},
                    {"storage", {{"https://victim.example", {{"k", "v"}}}}}};
  Json subframe = entry(kOther);
  subframe["children"] = {entry(kVictim)};
  Json pinned = {{"entries", {entry(kVictim), entry(kPinned)}}, {"index", 2}, {"pinned", true}};
  Json window = {{"tabs", {ordinary, pinned, victimTab, {{"entries", {subframe}}, {"index", 1}}}},
                 {"selected", 3},
                 {"_closedTabs", {{{"state", {{"entries", {entry(kOther)}}}}, {"title", "o"}}}},
                 {"busy", false},
                 {"width", 1280}};
  return {{"version", {"sessionrestore", 1}},
          {"windows", {window}},
          {"selectedWindow", 1},
          {"_closedWindows", {window}},
          {"session", {{"lastUpdate", 1}, {"startTime", 1}}},
          {"global", Json::object()},
          {"cookies", {{{"host", "victim.example"}, {"name", "c"}}}}};
}

class VisitedSites : public ::testing::Test {
 protected:
  void makeFirefox() {
    createFirefoxPlaces(ffDir + "/places.sqlite");
    Db places(ffDir + "/places.sqlite");
    addFirefoxPlace(places, kVictim, "Victim", kVisit);
    addFirefoxPlace(places, kOther, "Other", kVisit);
    addFirefoxPlace(places, kPinned, "Pinned", kVisit);
    bookmarkFirefoxPlace(places, addFirefoxPlace(places, kBookmarked, "Fav", kVisit));

    Db icons(ffDir + "/favicons.sqlite");
    icons.exec(
        "PRAGMA journal_mode = WAL;"
        "CREATE TABLE moz_icons ( id INTEGER PRIMARY KEY, icon_url TEXT NOT NULL, "
        "fixed_icon_url_hash INTEGER NOT NULL, width INTEGER NOT NULL DEFAULT 0, root INTEGER "
        "NOT NULL DEFAULT 0, color INTEGER, expire_ms INTEGER NOT NULL DEFAULT 0, flags INTEGER "
        "NOT NULL DEFAULT 0, data BLOB );"
        "CREATE TABLE moz_pages_w_icons ( id INTEGER PRIMARY KEY, page_url TEXT NOT NULL, "
        "page_url_hash INTEGER NOT NULL );"
        "CREATE TABLE moz_icons_to_pages ( page_id INTEGER NOT NULL, icon_id INTEGER NOT NULL, "
        "expire_ms INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (page_id, icon_id), FOREIGN KEY "
        "(page_id) REFERENCES moz_pages_w_icons ON DELETE CASCADE, FOREIGN KEY (icon_id) "
        "REFERENCES moz_icons ON DELETE CASCADE ) WITHOUT ROWID;"
        "INSERT INTO moz_icons(id, icon_url, fixed_icon_url_hash, root) VALUES "
        "(1, 'https://victim.example/favicon.ico', 1, 1), (2, 'https://victim.example/i.png', 2, "
        "0), (3, 'https://bookmarked.example/favicon.ico', 3, 1);"
        "INSERT INTO moz_pages_w_icons VALUES (1, '" +
        kVictim + "', 1), (2, '" + kBookmarked +
        "', 2);"
        "INSERT INTO moz_icons_to_pages(page_id, icon_id) VALUES (1, 2), (2, 3);");
    const std::string json = firefoxSession().dump();
    writeAll(ffDir + "/sessionstore.jsonlz4", *browsers::compressMozLz4(json));
    writeAll(ffDir + "/sessionstore-backups/recovery.jsonlz4", *browsers::compressMozLz4(json));
    // A backup cut short: not readable as a session, so it goes as a whole.
    writeAll(ffDir + "/sessionstore-backups/recovery.baklz4",
             browsers::compressMozLz4(json)->substr(0, 200));
    profiles.push_back(firefoxProfile(ffDir));
  }

  void makeChromium() {
    createChromiumHistory(chDir + "/History");
    Db history(chDir + "/History");
    addChromiumUrl(history, kVictim, "Victim", kChromeVisit);
    addChromiumUrl(history, kBookmarked, "Fav", kChromeVisit);
    writeChromiumBookmarks(chDir, {kBookmarked});

    Db icons(chDir + "/Favicons");
    icons.exec(
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
        "CREATE TABLE icon_mapping(id INTEGER PRIMARY KEY,page_url LONGVARCHAR NOT NULL,icon_id "
        "INTEGER,page_url_type INTEGER DEFAULT 0);"
        "CREATE TABLE favicons(id INTEGER PRIMARY KEY,url LONGVARCHAR NOT NULL,icon_type INTEGER "
        "DEFAULT 1);"
        "CREATE TABLE favicon_bitmaps(id INTEGER PRIMARY KEY,icon_id INTEGER NOT NULL,"
        "last_updated INTEGER DEFAULT 0,image_data BLOB,width INTEGER DEFAULT 0,height INTEGER "
        "DEFAULT 0,last_requested INTEGER DEFAULT 0);"
        "INSERT INTO favicons VALUES (1, 'https://victim.example/favicon.ico', 1), "
        "(2, 'https://bookmarked.example/favicon.ico', 1);"
        "INSERT INTO favicon_bitmaps(id, icon_id, image_data) VALUES (1, 1, x'00'), (2, 2, x'00');"
        "INSERT INTO icon_mapping(page_url, icon_id) VALUES ('" +
        kVictim + "', 1), ('" + kBookmarked + "', 2);");
    Db top(chDir + "/Top Sites");
    top.exec(
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
        "CREATE TABLE top_sites(url TEXT NOT NULL PRIMARY KEY,url_rank INTEGER NOT NULL,title "
        "TEXT NOT NULL);"
        "INSERT INTO top_sites VALUES ('" +
        kVictim + "', 0, 'Victim');");
    Db shortcuts(chDir + "/Shortcuts");
    shortcuts.exec(
        "CREATE TABLE omni_box_shortcuts (id VARCHAR PRIMARY KEY, text VARCHAR, fill_into_edit "
        "VARCHAR, url VARCHAR, contents VARCHAR, contents_class VARCHAR, description VARCHAR, "
        "description_class VARCHAR, transition INTEGER, type INTEGER, keyword VARCHAR, "
        "last_access_time INTEGER, number_of_hits INTEGER);"
        "INSERT INTO omni_box_shortcuts(id, text, url) VALUES ('a', 'vic', '" +
        kVictim + "');");
    Db predictor(chDir + "/Network Action Predictor");
    predictor.exec(
        "CREATE TABLE network_action_predictor (id TEXT PRIMARY KEY, user_text TEXT, url TEXT, "
        "number_of_hits INTEGER, number_of_misses INTEGER);"
        "CREATE TABLE resource_prefetch_predictor_host_redirect (key TEXT PRIMARY KEY, proto "
        "BLOB);"
        "INSERT INTO network_action_predictor VALUES ('a', 'vic', '" +
        kVictim +
        "', 1, 0);"
        "INSERT INTO resource_prefetch_predictor_host_redirect VALUES ('victim.example', x'00');");
    // Session command files: the URL as UTF-8 and the title as UTF-16.
    writeAll(chDir + "/Sessions/Session_13441118284013910",
             std::string("SNSS\x03\0\0\0", 8) + kVictim + std::string("V\0i\0c\0", 6));
    writeAll(chDir + "/Sessions/Tabs_13441118284028212", std::string("SNSS\x03\0\0\0", 8));
    writeAll(chDir + "/Visited Links", std::string("VLnk\0\0\0\0", 8));
    // The download records' LevelDB.
    writeAll(chDir + "/shared_proto_db/000003.log", "download record");
    writeAll(chDir + "/shared_proto_db/CURRENT", "MANIFEST-000001\n");
    prefs = {{"profile",
              {{"content_settings",
                {{"exceptions",
                  {{"site_engagement",
                    {{"chrome://newtab/,*", {{"setting", {{"rawScore", 1.5}}}}},
                     {"https://victim.example:443,*", {{"setting", {{"rawScore", 3.0}}}}}}},
                   {"media_engagement",
                    {{"https://victim.example:443,*", {{"setting", {{"visits", 1}}}}}}},
                   {"notifications", {{"https://victim.example:443,*", {{"setting", 1}}}}}}}}},
               {"name", "Person 1"}}},
             {"homepage", kBookmarked}};
    writeAll(chDir + "/Preferences", prefs.dump());
    profiles.push_back(chromiumProfile(chDir));
  }

  testsupport::TempDir tmp;
  std::string ffDir = tmp.str() + "/ff/abcd.default-esr";
  std::string chDir = tmp.str() + "/chromium/Default";
  Json prefs;
  std::vector<browsers::BrowserProfile> profiles;
  browsers::history::ProfileWatch watch{
      [this] { return profiles; }, [](const browsers::BrowserProfile&) { return false; }, {}};
  HistoryChange remove(const browsers::history::UrlList& urls,
                       const browsers::history::StepProgress& progress = {}) {
    return changeHistories(watch, &urls, progress);
  }
};

TEST_F(VisitedSites, ClearingLeavesNoVisitedSiteInEitherProfileButKeepsBookmarksAndPins) {
  makeFirefox();
  makeChromium();
  std::vector<std::pair<std::int64_t, std::int64_t>> steps;
  browsers::ProfileHistorySource source(watch);
  const core::HistoryArea area({&source});
  const core::HistoryPlan plan = area.plan();
  const platform::ClearOutcome outcome =
      area.apply(plan, [&](std::int64_t done, std::int64_t total) {
        steps.push_back({done, total});
      });
  ASSERT_TRUE(outcome.ok()) << outcome.failures[0].reason;
  // Every visited address went from the list: 4 Firefox places, 2 Chromium URLs.
  EXPECT_EQ(outcome.removed, 6);
  EXPECT_EQ(outcome.items.size(), plan.entries.size());
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back().first, steps.back().second);

  for (const std::string& url : {kVictim, kOther, std::string("victim.example/favicon")})
    EXPECT_EQ(filesHolding(tmp.path(), url), std::vector<std::string>{}) << url;

  // Firefox: the bookmark's icon stays; the session keeps the bookmarked page
  // and the pinned tab's current page, with indexes in range.
  Db icons(ffDir + "/favicons.sqlite");
  EXPECT_EQ(icons.strings("SELECT page_url FROM moz_pages_w_icons"),
            std::vector<std::string>{kBookmarked});
  EXPECT_EQ(icons.strings("SELECT icon_url FROM moz_icons"),
            std::vector<std::string>{"https://bookmarked.example/favicon.ico"});
  EXPECT_TRUE(databaseClean(icons));
  EXPECT_FALSE(fs::exists(ffDir + "/sessionstore-backups/recovery.baklz4"));
  for (const char* name : {"/sessionstore.jsonlz4", "/sessionstore-backups/recovery.jsonlz4"}) {
    auto plain = browsers::decompressMozLz4(readAll(ffDir + name));
    ASSERT_TRUE(plain) << name;
    const Json session = Json::parse(*plain);
    ASSERT_EQ(session["windows"].size(), 1u);
    const Json& tabs = session["windows"][0]["tabs"];
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(tabs[0]["entries"].size(), 1u);
    EXPECT_EQ(tabs[0]["entries"][0]["url"], kBookmarked);
    EXPECT_EQ(tabs[0]["index"], 1);
    EXPECT_EQ(tabs[1]["pinned"], true);
    EXPECT_EQ(tabs[1]["entries"].size(), 1u);
    EXPECT_EQ(tabs[1]["entries"][0]["url"], kPinned);
    EXPECT_EQ(tabs[1]["index"], 1);
    EXPECT_LE(session["windows"][0]["selected"].get<int>(), 2);
    EXPECT_TRUE(session["windows"][0]["_closedTabs"].empty());
    EXPECT_TRUE(session["_closedWindows"].empty());
    EXPECT_EQ(session["cookies"].size(), 1u);  // not history: left as it was
  }

  // Chromium: the bookmark's icon stays, the session files and the visited
  // links go, Preferences keeps every other setting.
  Db chIcons(chDir + "/Favicons");
  EXPECT_EQ(chIcons.strings("SELECT page_url FROM icon_mapping"),
            std::vector<std::string>{kBookmarked});
  EXPECT_EQ(chIcons.count("SELECT count(*) FROM favicon_bitmaps"), 1);
  EXPECT_EQ(Db(chDir + "/Network Action Predictor")
                .count("SELECT count(*) FROM resource_prefetch_predictor_host_redirect"),
            0);
  EXPECT_FALSE(fs::exists(chDir + "/Sessions/Session_13441118284013910"));
  EXPECT_FALSE(fs::exists(chDir + "/Sessions/Tabs_13441118284028212"));
  EXPECT_FALSE(fs::exists(chDir + "/Visited Links"));
  EXPECT_FALSE(fs::exists(chDir + "/shared_proto_db"));
  Json expected = prefs;
  auto& exceptions = expected["profile"]["content_settings"]["exceptions"];
  exceptions["site_engagement"].erase("https://victim.example:443,*");
  exceptions["media_engagement"].erase("https://victim.example:443,*");
  EXPECT_EQ(Json::parse(readAll(chDir + "/Preferences")), expected);
}

TEST_F(VisitedSites, DeletingOneUrlTakesOnlyItsPagesOutOfTheSession) {
  makeFirefox();
  ASSERT_EQ(remove({kOther}).message, "");
  const Json session =
      Json::parse(*browsers::decompressMozLz4(readAll(ffDir + "/sessionstore.jsonlz4")));
  const Json& window = session["windows"][0];
  // The tab whose only page was the deleted one is gone, the closed tab of
  // it too; the victim's pages (still in history) stay.
  ASSERT_EQ(window["tabs"].size(), 3u);
  EXPECT_EQ(window["tabs"][0]["entries"].size(), 2u);
  EXPECT_EQ(window["tabs"][2]["entries"][0]["url"], kVictim);
  EXPECT_TRUE(window["_closedTabs"].empty());
  EXPECT_EQ(window["selected"], 3);
  EXPECT_EQ(session["_closedWindows"].size(), 1u);
  EXPECT_EQ(filesHolding(ffDir, kOther), std::vector<std::string>{});
  EXPECT_FALSE(filesHolding(ffDir, kVictim).empty());
}

TEST_F(VisitedSites, ManyUrlsGoInOneChangeOfEachProfile) {
  makeFirefox();
  makeChromium();
  int steps = 0;
  const HistoryChange change =
      remove({kOther, kVictim}, [&](std::int64_t, std::int64_t) { ++steps; });
  ASSERT_EQ(change.message, "");
  EXPECT_EQ(change.outcome.removed, 3);
  EXPECT_EQ(steps, 7);  // open, change, files: three per profile, then the end
  for (const std::string& url : {kVictim, kOther})
    EXPECT_EQ(filesHolding(tmp.path(), url), std::vector<std::string>{}) << url;
  EXPECT_FALSE(filesHolding(ffDir, kPinned).empty());
  EXPECT_EQ(Db(ffDir + "/places.sqlite").count("SELECT count(*) FROM moz_places"), 2);
}

// The files of this program's own rewrites found under dir.
std::vector<std::string> temporariesIn(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(".tracesweep-") != std::string::npos)
      found.push_back(entry.path().filename().string());
  return found;
}

// A session that cannot be written back (a full disk) keeps its windows and
// pinned tabs: the file stays byte for byte and the failure is told. The
// damaged backup, of which nothing can be kept, still goes.
TEST_F(VisitedSites, ASessionThatCannotBeRewrittenStaysAsItWasAndIsTold) {
  makeFirefox();
  const std::string session = ffDir + "/sessionstore.jsonlz4";
  const std::string recovery = ffDir + "/sessionstore-backups/recovery.jsonlz4";
  const std::string sessionBefore = readAll(session);
  const std::string recoveryBefore = readAll(recovery);
  platform::ClearOutcome outcome;
  {
    testsupport::FileSizeLimit full(16);
    browsers::history::clearProfileFiles(
        profiles[0], [](const std::string& url) { return url == kBookmarked || url == kPinned; },
        true, nullptr, outcome);
  }
  EXPECT_EQ(readAll(session), sessionBefore);
  EXPECT_EQ(readAll(recovery), recoveryBefore);
  EXPECT_FALSE(fs::exists(ffDir + "/sessionstore-backups/recovery.baklz4"));
  ASSERT_EQ(outcome.failures.size(), 2u);
  std::set<std::string> items;
  for (const platform::ClearFailure& failure : outcome.failures) {
    items.insert(failure.item);
    EXPECT_NE(failure.reason.find("could not be rewritten"), std::string::npos) << failure.reason;
    EXPECT_NE(failure.reason.find("left as it was"), std::string::npos) << failure.reason;
  }
  EXPECT_EQ(items, (std::set<std::string>{session, recovery}));
  EXPECT_EQ(temporariesIn(ffDir), std::vector<std::string>{});
}

// What a run killed in the middle of a rewrite left (this version's hidden
// temporaries and the older "<name>.tracesweep-<digits>") goes with the
// next clearing; files that only look alike, or are being written now, stay.
TEST_F(VisitedSites, TemporariesOfAKilledRewriteGoWithTheNextClearing) {
  makeFirefox();
  makeChromium();
  const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  const auto inAnHour = fs::file_time_type::clock::now() + std::chrono::hours(1);
  const std::vector<std::string> stale = {
      ffDir + "/.sessionstore.jsonlz4.tracesweep-tmp-a1B2c3",
      ffDir + "/sessionstore.jsonlz4.tracesweep-3141592653",
      ffDir + "/sessionstore-backups/.recovery.jsonlz4.tracesweep-tmp-Zz9Yy8",
      chDir + "/Preferences.tracesweep-27182818", chDir + "/.Preferences.tracesweep-tmp-QwErTy"};
  const std::vector<std::string> kept = {ffDir + "/notes.tracesweep-draft",
                                         ffDir + "/.sessionstore.jsonlz4.tracesweep-tmp-",
                                         chDir + "/.Preferences.tracesweep-tmp-n0wN0w"};
  for (const std::string& path : stale) {
    writeAll(path, "half a file");
    fs::last_write_time(path, hourAgo);
  }
  for (const std::string& path : kept) {
    writeAll(path, "not ours to remove");
    fs::last_write_time(path, path == kept.back() ? inAnHour : hourAgo);
  }
  ASSERT_EQ(changeHistories(watch, nullptr).message, "");
  for (const std::string& path : stale) EXPECT_FALSE(fs::exists(path)) << path;
  for (const std::string& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
}

TEST(MozLz4, RefusesWhatIsNotAWholeFile) {
  const std::string file = *browsers::compressMozLz4("{\"windows\":[]}");
  EXPECT_EQ(browsers::decompressMozLz4(file), std::optional<std::string>("{\"windows\":[]}"));
  EXPECT_FALSE(browsers::decompressMozLz4(file.substr(0, file.size() - 1)));
  std::string bigger = file;
  bigger[8] = '\x7f';  // claims more bytes than the block holds
  EXPECT_FALSE(browsers::decompressMozLz4(bigger));
  EXPECT_FALSE(browsers::decompressMozLz4("mozLz40"));
  EXPECT_FALSE(browsers::decompressMozLz4("{\"plain\":1}"));
}

}  // namespace

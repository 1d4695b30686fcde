#include "browsers/history/visited_site_stores.h"

#include "browsers/formats/history_sql.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace browsers::history {

namespace {

struct StoreKind {
  const char* file;
  const char* schema;
  std::vector<const char*> tables;  // what a store of this kind must have
};

const std::vector<StoreKind>& kindsOf(BrowserFamily family) {
  static const std::vector<StoreKind> firefox = {
      {"favicons.sqlite", "favicons", {"moz_icons", "moz_pages_w_icons", "moz_icons_to_pages"}}};
  static const std::vector<StoreKind> chromium = {
      {"Favicons", "favicons", {"icon_mapping", "favicons", "favicon_bitmaps"}},
      {"Top Sites", "topsites", {"top_sites"}},
      {"Shortcuts", "shortcuts", {"omni_box_shortcuts"}},
      {"Network Action Predictor", "predictor", {"network_action_predictor"}}};
  return family == BrowserFamily::Firefox ? firefox : chromium;
}

bool hasTableIn(sqlite3* db, const std::string& schema, const std::string& table) {
  const std::string sql =
      "SELECT 1 FROM \"" + schema + "\".sqlite_master WHERE type = 'table' AND name = ?1";
  Statement query(db, sql.c_str());
  query.bind(1, table);
  return query.step() == SQLITE_ROW;
}

std::vector<std::string> tablesIn(sqlite3* db, const std::string& schema) {
  std::vector<std::string> tables;
  const std::string sql = "SELECT name FROM \"" + schema +
                          "\".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                          "ESCAPE '\\'";
  Statement query(db, sql.c_str());
  while (query.step() == SQLITE_ROW) tables.push_back(query.text(0));
  return tables;
}

const AttachedStore* find(const std::vector<AttachedStore>& stores, const char* schema) {
  for (const AttachedStore& store : stores)
    if (store.schema == schema) return &store;
  return nullptr;
}

// Deletes the rows of a table whose column holds url.
int deleteUrlRows(sqlite3* db, const std::string& table, const char* column, const std::string& url,
                  std::string& error) {
  const std::string sql = "DELETE FROM " + table + " WHERE " + column + " = ?1";
  Statement remove(db, sql.c_str());
  remove.bind(1, url);
  const int rc = remove.step();
  if (rc == SQLITE_DONE) return SQLITE_OK;
  error = sqlite3_errmsg(db);
  return rc;
}

// Icons that no page uses any more (Firefox). A root icon (<origin>/favicon.ico)
// belongs to every page of its origin and stays while one of them is kept.
const char* const kFirefoxOrphanIcons[] = {
    "DELETE FROM favicons.moz_icons_to_pages WHERE page_id NOT IN "
    "(SELECT id FROM favicons.moz_pages_w_icons)",
    "DELETE FROM favicons.moz_icons WHERE id NOT IN (SELECT icon_id FROM "
    "favicons.moz_icons_to_pages) AND (root = 0 OR substr(icon_url, -12) != '/favicon.ico' OR "
    "NOT EXISTS (SELECT 1 FROM main.moz_places p WHERE substr(p.url, 1, length(icon_url) - 11) = "
    "substr(icon_url, 1, length(icon_url) - 11)))"};

// Icons and bitmaps that no page uses any more (Chromium).
const char* const kChromiumOrphanIcons[] = {
    "DELETE FROM favicons.favicons WHERE id NOT IN (SELECT icon_id FROM favicons.icon_mapping "
    "WHERE icon_id IS NOT NULL)",
    "DELETE FROM favicons.favicon_bitmaps WHERE icon_id NOT IN (SELECT id FROM "
    "favicons.favicons)"};

}  // namespace

std::vector<AttachedStore> attachVisitedSiteStores(sqlite3* db, const BrowserProfile& profile,
                                                   std::vector<std::string>& skipped) {
  std::vector<AttachedStore> stores;
  for (const StoreKind& kind : kindsOf(profile.family)) {
    const std::string path = platform::pathBelow(profile.profileDir, kind.file);
    if (!platform::files::isRegularFile(path)) continue;
    Statement attach(db, ("ATTACH DATABASE ?1 AS " + std::string(kind.schema)).c_str());
    attach.bind(1, path);
    if (attach.step() != SQLITE_DONE) {
      skipped.push_back(std::string(kind.file) + " (" + sqlite3_errmsg(db) + ")");
      continue;
    }
    bool known = true;
    for (const char* table : kind.tables) known = known && hasTableIn(db, kind.schema, table);
    if (!known) {
      std::string ignored;
      run(db, std::string("DETACH DATABASE ") + kind.schema, ignored);
      skipped.push_back(std::string(kind.file) + " (not a database of a known layout)");
      continue;
    }
    stores.push_back({kind.schema, path});
  }
  return stores;
}

int clearVisitedSiteStores(sqlite3* db, BrowserFamily family,
                           const std::vector<AttachedStore>& stores, std::string& error) {
  std::vector<std::string> sql;
  if (family == BrowserFamily::Firefox) {
    if (find(stores, "favicons")) {
      sql.push_back(
          "DELETE FROM favicons.moz_pages_w_icons WHERE page_url NOT IN "
          "(SELECT url FROM main.moz_places WHERE url IS NOT NULL)");
      sql.insert(sql.end(), std::begin(kFirefoxOrphanIcons), std::end(kFirefoxOrphanIcons));
    }
    return runAll(db, sql, error);
  }
  if (find(stores, "favicons")) {
    sql.push_back(
        "DELETE FROM favicons.icon_mapping WHERE page_url NOT IN (SELECT url FROM main.urls "
        "WHERE url IS NOT NULL) AND page_url NOT IN (SELECT url FROM temp.keep)");
    sql.insert(sql.end(), std::begin(kChromiumOrphanIcons), std::end(kChromiumOrphanIcons));
  }
  // The browser empties these itself when its whole history is deleted.
  for (const char* schema : {"topsites", "shortcuts", "predictor"}) {
    if (!find(stores, schema)) continue;
    for (const std::string& table : tablesIn(db, schema))
      if (table != "meta")
        sql.push_back("DELETE FROM " + std::string(schema) + ".\"" + table + "\"");
  }
  return runAll(db, sql, error);
}

int deleteFromVisitedSiteStores(sqlite3* db, BrowserFamily family,
                                const std::vector<AttachedStore>& stores, const std::string& url,
                                bool bookmarked, std::string& error) {
  int rc = SQLITE_OK;
  if (family == BrowserFamily::Firefox) {
    if (!find(stores, "favicons")) return SQLITE_OK;
    Statement remove(db,
                     "DELETE FROM favicons.moz_pages_w_icons WHERE page_url = ?1 AND NOT EXISTS "
                     "(SELECT 1 FROM main.moz_places WHERE url = ?1)");
    remove.bind(1, url);
    rc = remove.step();
    if (rc != SQLITE_DONE) {
      error = sqlite3_errmsg(db);
      return rc;
    }
    return runAll(db, {std::begin(kFirefoxOrphanIcons), std::end(kFirefoxOrphanIcons)}, error);
  }
  if (find(stores, "favicons") && !bookmarked) {
    rc = deleteUrlRows(db, "favicons.icon_mapping", "page_url", url, error);
    if (rc != SQLITE_OK) return rc;
  }
  for (const auto& [schema, table] :
       {std::pair{"topsites", "top_sites"}, std::pair{"shortcuts", "omni_box_shortcuts"},
        std::pair{"predictor", "network_action_predictor"}}) {
    if (!find(stores, schema)) continue;
    rc = deleteUrlRows(db, std::string(schema) + "." + table, "url", url, error);
    if (rc != SQLITE_OK) return rc;
  }
  if (find(stores, "favicons"))
    return runAll(db, {std::begin(kChromiumOrphanIcons), std::end(kChromiumOrphanIcons)}, error);
  return SQLITE_OK;
}

void compactVisitedSiteStores(sqlite3* db, const std::vector<AttachedStore>& stores) {
  std::string ignored;
  for (const AttachedStore& store : stores) run(db, "VACUUM " + store.schema, ignored);
}

}  // namespace browsers::history

// Cookie databases of the browsers' real formats, built by the tests, and a
// fake HOME holding browser profiles.
#pragma once

#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

namespace browsertest {

struct CookieRow {
  CookieRow(std::string host_, std::string name_, std::string value_ = "v",
            std::string partition_ = {})
      : host(std::move(host_)),
        name(std::move(name_)),
        value(std::move(value_)),
        partition(std::move(partition_)) {}
  std::string host;
  std::string name;
  std::string value;
  // Chromium: top_frame_site_key; Firefox: originAttributes.
  std::string partition;
};

// Firefox cookies.sqlite of user_version 17 (as firefox-esr 153 writes it) or
// 15 (older columns, expiry in seconds), in WAL mode.
void makeFirefoxCookies(const std::string& path, int userVersion,
                        const std::vector<CookieRow>& rows);
// Chromium Cookies of meta version 24 (as chromium 156 writes it), with its
// rollback journal.
void makeChromiumCookies(const std::string& path, const std::vector<CookieRow>& rows);

// Every row of a query, each as its columns joined by "|", in row order.
std::vector<std::string> queryRows(const std::string& databasePath, const std::string& sql);

// Runs SQL against a database; fails the test on an error.
void execOn(sqlite3* db, const std::string& sql);

}  // namespace browsertest

// Offered by a file layer whose cookie folder is a view of the browsers'
// cookie databases: how thoroughly a deleted cookie is destroyed, where an
// entry's cookies really are, and deleting many entries at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/clear_outcome.h"

namespace platform {

class CookieWipeOptions {
 public:
  // Called with the entries done so far and the total, after each database
  // and now and then while one is worked on.
  using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

  virtual ~CookieWipeOptions() = default;
  // When on, deleting cookies also rebuilds the database (VACUUM), so that no
  // deleted cookie survives in its free pages.
  virtual void setVacuumAfterDelete(bool on) = 0;

  // The file that holds the cookies of an entry of the cookie folder (the
  // profile's cookie database); "" for a path that is no such entry.
  virtual std::string entryLocation(const std::string& path) = 0;

  // Deletes entries of the cookie folder as deleteFile would, one error
  // number per path (0, 53, 75 or another), but with one transaction and one
  // checkpoint per database. Every entry left is added to outcome's failures
  // with the reason in plain words (e.g. "Firefox (profile default-esr) is
  // running"); every entry deleted counts in outcome.removed.
  virtual std::vector<int> deleteEntries(const std::vector<std::string>& paths,
                                         const Progress& progress, ClearOutcome& outcome) = 0;

  // The cookie stores that exist but that the last listing could not reach
  // (a refused profile folder, a database that could not be read), each with
  // the reason: what a preview must name, as the clearing does.
  virtual std::vector<ClearFailure> unreachedStores() { return {}; }
};

}  // namespace platform

// The cookie area: what cookies there are (the plan) and deleting some or
// all of them (applying it). The cookies come from sources: the browsers'
// profiles, and on Windows the shell's cookie folder of the system browser.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/keep_list.h"
#include "core/progress.h"
#include "platform/clear_outcome.h"

namespace core {

// One line of the cookie list.
struct CookieEntry {
  std::string name;      // a cookie file's name, or "<browser>.<profile>@<site>"
  std::string location;  // where it is: the file, or the profile's cookie database
  std::string key;       // what its source deletes it by; unique in a plan
  std::size_t source = 0;
  // A file of the cookie folder (as opposed to a site of a browser profile).
  bool file = false;
  // Why it stays whatever is chosen ("example.com is on the keep list"); ""
  // when it may go. Set by the area's plan.
  std::string kept = {};
};

struct CookiePlan {
  // The cookie folder as read for this plan; "" when there is none.
  std::string folder;
  std::vector<CookieEntry> entries;
  // Stores that exist but could not be read (a database that cannot be
  // copied, a refused profile folder), each with the reason.
  std::vector<platform::ClearFailure> unreached;
};

struct CookieOptions {
  // Rebuild each database after the deletion, so that no deleted cookie
  // survives in its free pages.
  bool vacuum = false;
};

class CookieSource {
 public:
  virtual ~CookieSource() = default;
  // Adds what it holds to plan, each entry with source set to self.
  // keepListing is asked once per entry found; false stops the listing.
  virtual void list(CookiePlan& plan, std::size_t self,
                    const std::function<bool()>& keepListing) = 0;
  // Deletes entries (all its own). gone[k] is set for entries[k] once it is
  // gone; every entry that stays and should have gone is a failure of
  // outcome with its reason. An entry that was already gone is neither.
  virtual void remove(const std::vector<const CookieEntry*>& entries, const CookieOptions& options,
                      const Progress& progress, platform::ClearOutcome& outcome,
                      std::vector<bool>& gone) = 0;
};

// The keep list as the cookie area honours it, read anew for every plan.
struct SiteKeeping {
  std::function<KeepList()> list;  // none: nothing is kept
  SiteNaming naming;
};

// The host an entry's cookies belong to, from its name: the site of
// "<browser>.<profile>@<site>", the host of a cookie file "<user>@<host>[1].txt";
// "" for a name of neither form (index.dat).
std::string hostOfEntry(const CookieEntry& entry);

class CookieArea {
 public:
  explicit CookieArea(std::vector<CookieSource*> sources, SiteKeeping keeping = {})
      : sources_(std::move(sources)), keeping_(std::move(keeping)) {}

  // Every entry of the sources; those of kept sites marked kept, with the reason.
  CookiePlan plan(const std::function<bool()>& keepListing = {}) const;
  // What applying the whole plan would do: each entry removed or kept, each
  // unreached store a failure.
  static platform::ClearOutcome preview(const CookiePlan& plan);
  // Deletes the chosen entries of the plan (indexes into plan.entries); one
  // kept by the plan, or by the keep list as it is now, is never deleted,
  // only told as kept. gone, when given, receives
  // one flag per chosen entry. The stores that
  // the plan could not reach are failures too: a clearing never leaves them
  // out in silence.
  platform::ClearOutcome apply(const CookiePlan& plan, const std::vector<std::size_t>& chosen,
                               const CookieOptions& options, const Progress& progress = {},
                               std::vector<bool>* gone = nullptr) const;

 private:
  std::vector<CookieSource*> sources_;
  SiteKeeping keeping_;
};

}  // namespace core

// Drives the browsers' cookie source as the Cookies page and the runs do: a
// plan, then deleting entries of it by name.
#pragma once

#include <string>
#include <vector>

#include "browsers/cookies/profile_cookie_source.h"
#include "core/cookie_area.h"

namespace browsertest {

enum class Removal { Gone, NotThere, Stayed };

class CookieDriver {
 public:
  // The entry names of a new plan.
  std::vector<std::string> list() {
    plan = area.plan();
    std::vector<std::string> names;
    for (const core::CookieEntry& entry : plan.entries) names.push_back(entry.name);
    return names;
  }
  // Deletes the named entries of the last plan (of a new one when none was
  // made); names the plan does not hold are passed over.
  platform::ClearOutcome remove(const std::vector<std::string>& names) {
    if (plan.entries.empty()) list();
    std::vector<std::size_t> chosen;
    for (const std::string& name : names)
      for (std::size_t k = 0; k < plan.entries.size(); ++k)
        if (plan.entries[k].name == name) chosen.push_back(k);
    return area.apply(plan, chosen, core::CookieOptions{vacuum});
  }
  Removal remove(const std::string& name) {
    list();
    const platform::ClearOutcome outcome = remove(std::vector<std::string>{name});
    if (outcome.removed == 1) return Removal::Gone;
    return outcome.failures.empty() ? Removal::NotThere : Removal::Stayed;
  }
  // Where the named entry's cookies are; "" for none.
  std::string location(const std::string& name) {
    for (const core::CookieEntry& entry : plan.entries)
      if (entry.name == name) return entry.location;
    return {};
  }

  browsers::ProfileCookieSource source;
  core::CookieArea area{{&source}};
  core::CookiePlan plan;
  bool vacuum = false;
};

}  // namespace browsertest

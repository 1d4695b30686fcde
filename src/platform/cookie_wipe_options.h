// Offered by a file layer whose cookie folder is a view of the browsers'
// cookie databases: how thoroughly a deleted cookie is destroyed.
#pragma once

namespace platform {

class CookieWipeOptions {
 public:
  virtual ~CookieWipeOptions() = default;
  // When on, deleting cookies also rebuilds the database (VACUUM), so that no
  // deleted cookie survives in its free pages.
  virtual void setVacuumAfterDelete(bool on) = 0;
};

}  // namespace platform

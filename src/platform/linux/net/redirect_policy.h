// Which redirects a download follows: only to the same host, over HTTP or
// HTTPS, and never from HTTPS down to plain HTTP.
#pragma once

#include <string>

namespace platform::linux_os {

// from and to are absolute URLs; host names compare without regard to case.
bool redirectAllowed(const std::string& from, const std::string& to);

}  // namespace platform::linux_os

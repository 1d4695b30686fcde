// The MD5 digest that Chromium keys some per-site stores by (the site
// characteristics database keys each visited host by it), in lower-case hex.
// From the system's crypto library where the stores it serves can be edited
// (browsers/system/<system>); nothing elsewhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace browsers {

std::optional<std::string> md5Hex(std::string_view text);

}  // namespace browsers

// Where "&Help" and the home-page link lead. A build that names a real maker's
// server opens the maker's pages; a build with the placeholder address opens
// the help page installed with the program, which works offline.
#pragma once

#include <string>
#include <string_view>

#include "forms/platform.h"
#include "identity.h"

namespace app {

// The help page: the maker's, or the installed one as a file:// URL (with
// #section appended when section is given).
std::string helpLocation(forms::Platform& platform, std::string_view section = {},
                         std::string_view maker = identity::kMakerUrl);

// The home page: the maker's, or the installed help page's part about the maker.
std::string homeLocation(forms::Platform& platform, std::string_view maker = identity::kMakerUrl);

// "/a b/c" -> "file:///a%20b/c".
std::string fileUrl(std::string_view path);

}  // namespace app

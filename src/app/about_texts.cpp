#include "app/about_texts.h"

#include "identity.h"

namespace app::about {

std::string appName() {
  return std::string(identity::kAppTitle) + " " + std::to_string(identity::kMajor) + "." +
         std::to_string(identity::kMinor);
}

std::string programInfo() {
  return "Removes the traces that web browsing and everyday use leave on this computer: "
         "cookies, cached pages, the history of visited sites, temporary files and the "
         "recycle bin, and destroys chosen files beyond recovery.\n"
         "Copyright \u00A9 2003 Norrick Software. All rights reserved.";
}

std::string address() {
  return "Norrick Software Ltd\nNorwich\n UK";
}

std::string urlText() {
  std::string url = identity::kMakerUrl;
  if (auto scheme = url.find("://"); scheme != std::string::npos) url = url.substr(scheme + 3);
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

std::string warning() {
  return "Warning: this computer program is protected by copyright law and international "
         "treaties. Unauthorised reproduction or distribution of this program, or any part "
         "of it, may result in severe civil and criminal penalties.";
}

}  // namespace app::about

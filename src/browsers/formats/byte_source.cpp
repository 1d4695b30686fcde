#include "browsers/formats/byte_source.h"

namespace browsers {

bool isListableUrl(std::string_view uri) {
  auto startsWithNoCase = [&](std::string_view prefix) {
    if (uri.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      char c = uri[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != prefix[i]) return false;
    }
    return true;
  };
  if (!startsWithNoCase("http://") && !startsWithNoCase("https://")) return false;
  return uri.find('\0') == std::string_view::npos;
}

}  // namespace browsers

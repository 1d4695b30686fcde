// The top-level site under which a partitioned cookie is kept: Chromium
// writes it to top_frame_site_key ("https://news.example"), Firefox into the
// cookie's originAttributes ("^partitionKey=%28https%2Cnews.example%29").
#pragma once

#include <string>

namespace browsers {

// "https://news.example" -> "news.example"; "" for anything else.
std::string siteOfTopFrameKey(const std::string& key);

// "^userContextId=1&partitionKey=%28https%2Cnews.example%29" -> "news.example";
// "" when the cookie is not partitioned or the text is not understood.
std::string siteOfOriginAttributes(const std::string& attributes);

}  // namespace browsers

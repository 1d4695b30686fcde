// The program's DownloadFile: fetches a URL into a local file through the
// platform's downloader.
#pragma once

#include <string>

#include "platform/downloader.h"

namespace update {

// True when the platform reports success. The platform's status goes to
// *status when asked for, so a caller can tell an unwritable folder apart.
bool DownloadFile(platform::Downloader& downloader, const std::string& url, const std::string& file,
                  int* status = nullptr);

}  // namespace update

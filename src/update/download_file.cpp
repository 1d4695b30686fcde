#include "update/download_file.h"

namespace update {

bool DownloadFile(platform::Downloader& downloader, const std::string& url, const std::string& file,
                  int* status) {
  int result = downloader.download(url, file);
  if (status) *status = result;
  return result == 0;
}

}  // namespace update

// Finding the history database of each profile and reading every record.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/common/browser_profiles.h"
#include "platform/url_history.h"

namespace platform::linux_os::history {

struct HistorySource {
  BrowserProfile profile;
  std::string databasePath;
};

// The profiles whose history database exists as a regular file.
std::vector<HistorySource> historySources(const std::vector<BrowserProfile>& profiles);

// Appends the records of one database; false when it cannot be read (it is
// then skipped). A database of an unknown layout holds no records.
bool readSource(const HistorySource& source, bool browserRunning, std::vector<STATURL>& out);

// Walks a list of records, keeping those whose URL starts with the filter's
// prefix and whose flag word holds every bit of the filter's flags.
class RecordEnum : public EnumSTATURL {
 public:
  explicit RecordEnum(std::vector<STATURL> records) : records_(std::move(records)) {}
  HRESULT SetFilter(const std::string* prefix, std::uint32_t flags) override;
  HRESULT Next(STATURL& out, std::uint32_t& fetched) override;

 private:
  std::vector<STATURL> records_;
  std::size_t next_ = 0;
  std::string prefix_;
  std::uint32_t flags_ = 0;
};

}  // namespace platform::linux_os::history

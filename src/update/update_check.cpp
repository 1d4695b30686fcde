#include "update/update_check.h"

namespace update {

void checkForUpdates(platform::Platform&, forms::Form&,
                     const std::function<void(const std::string&)>&) {}

}  // namespace update

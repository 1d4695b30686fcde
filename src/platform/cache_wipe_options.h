// Offered by a URL cache whose entries are files: destroying an entry's files
// rather than only unlinking them.
#pragma once

#include "platform/file_layer.h"

namespace platform {

class CacheWipeOptions {
 public:
  virtual ~CacheWipeOptions() = default;
  // While a session is set, every file of an entry being deleted is
  // overwritten once through it, and put on the storage, before its name is
  // removed; a file the session will not open (in use, linked) is only
  // removed. Null goes back to plain removal. The caller keeps the session
  // alive meanwhile.
  virtual void setOverwriteSession(OverwriteSession* session) = 0;
};

}  // namespace platform

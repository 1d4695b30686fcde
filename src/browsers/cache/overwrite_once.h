// One overwrite pass over a file about to be removed, through the wipe
// engine's session, so that the removed file leaves no readable content.
#pragma once

#include <string>

#include "platform/file_layer.h"

namespace browsers {

// Writes 0x01 over the whole length of the file and puts it on the storage.
// A file the session will not open for overwriting (missing, in use, with
// other names, a link) is left as it is. True when the file was overwritten.
bool overwriteOnce(platform::OverwriteSession& session, const std::string& path);

}  // namespace browsers

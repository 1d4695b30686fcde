// The system's services that need no window: files, registry and settings,
// trash, shell, downloads, processes, free space, and the legacy stores of
// the system's own browser (Windows only). The command line runs on these
// alone; the windows add the view's services (platform.h).
#pragma once

#include <memory>

#include "platform/downloader.h"
#include "platform/file_layer.h"
#include "platform/free_space.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/run_log.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/trash.h"
#include "platform/url_cache.h"
#include "platform/url_history.h"

namespace platform {

struct System {
  FileLayer& files;
  Registry& registry;
  SettingsStore& settings;
  UrlCache& urlCache;
  UrlHistoryFactory& history;
  Trash& trash;
  Shell& shell;
  Downloader& downloader;
  Process& process;
  // Empty where the system has no free-space wipe.
  FreeSpaceOpener freeSpace = {};
};

// The services of the system this program was built for, owned together.
class SystemServices {
 public:
  virtual ~SystemServices() = default;
  virtual System& system() = 0;
  // Where the automatic runs keep their reports; null where none is kept.
  virtual RunLog* runLog() = 0;
};

// Opens the services of the system the build chose (one implementation per
// system folder, picked in src/platform/CMakeLists.txt).
std::unique_ptr<SystemServices> openSystemServices();

}  // namespace platform

// The stand-in system's services, owned together. Settings live in memory
// for the run: nothing persists them here.
#include "platform/no_url_cache.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"
#include "platform/standin/standin_files.h"
#include "platform/standin/standin_services.h"
#include "platform/system.h"

namespace platform {

namespace {

class StandinSystem : public SystemServices {
 public:
  System& system() override { return system_; }
  RunLog* runLog() override { return nullptr; }

 private:
  standin::StandinFileLayer files_;
  RegistryTree registry_;
  RegistrySettingsStore settings_{registry_};
  NoUrlCache urlCache_;
  NoUrlHistoryFactory history_;
  standin::StandinTrash trash_;
  standin::StandinShell shell_;
  standin::StandinDownloader downloader_;
  standin::StandinProcess process_;
  // No free-space wipe: the opener stays empty.
  System system_{files_, registry_, settings_,   urlCache_, history_,
                 trash_, shell_,    downloader_, process_,  {}};
};

}  // namespace

std::unique_ptr<SystemServices> openSystemServices() {
  return std::make_unique<StandinSystem>();
}

}  // namespace platform

#include "platform/windows/windows_platform.h"

#include "platform/registry_settings_store.h"
#include "platform/windows/free_space_fill.h"
#include "platform/windows/windows_downloader.h"
#include "platform/windows/windows_file_layer.h"
#include "platform/windows/windows_process.h"
#include "platform/windows/windows_registry.h"
#include "platform/windows/windows_shell.h"
#include "platform/windows/windows_trash.h"
#include "platform/windows/windows_url_cache.h"
#include "platform/windows/windows_url_history.h"

namespace platform::windows_os {

struct WindowsServices::Impl {
  WindowsFileLayer files;
  WindowsRegistry registry;
  RegistrySettingsStore settings{registry};
  WindowsUrlCache urlCache;
  WindowsHistoryFactory history;
  WindowsTrash trash;
  WindowsShell shell;
  WindowsDownloader downloader;
  WindowsProcess process;
};

WindowsServices::WindowsServices(forms::MessageBoxService& msgbox, forms::DialogService& dialogs,
                                 forms::WindowManager& windows, forms::TrayService& tray)
    : impl_(std::make_unique<Impl>()) {
  platform_ = std::make_unique<Platform>(
      Platform{impl_->files, impl_->registry, impl_->settings, impl_->urlCache, impl_->history,
               impl_->trash, impl_->shell, impl_->downloader, impl_->process, msgbox, dialogs,
               windows, tray, [](const std::string& folder) -> std::unique_ptr<FreeSpaceWipe> {
                 return WindowsFreeSpaceWipe::open(folder);
               }});
}

WindowsServices::~WindowsServices() = default;

}  // namespace platform::windows_os

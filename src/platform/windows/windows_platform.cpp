#include "platform/windows/windows_platform.h"

#include "platform/registry_settings_store.h"
#include "platform/windows/free_space_fill.h"
#include "platform/windows/run_log_file.h"
#include "platform/windows/settings_lock_file.h"
#include "platform/windows/windows_downloader.h"
#include "platform/windows/windows_file_layer.h"
#include "platform/windows/windows_process.h"
#include "platform/windows/windows_registry.h"
#include "platform/windows/windows_shell.h"
#include "platform/windows/windows_trash.h"
#include "platform/windows/windows_url_cache.h"
#include "platform/windows/windows_url_history.h"

namespace platform {

std::unique_ptr<SystemServices> openSystemServices() {
  return std::make_unique<windows_os::WindowsSystem>();
}

}  // namespace platform

namespace platform::windows_os {

struct WindowsSystem::Impl {
  WindowsFileLayer files;
  WindowsRegistry registry;
  SettingsLockFile settingsLock;
  RegistrySettingsStore settings{registry, &settingsLock};
  WindowsUrlCache urlCache;
  WindowsHistoryFactory history;
  WindowsTrash trash;
  WindowsShell shell;
  WindowsDownloader downloader;
  WindowsProcess process;
  RunLogFile runLog;
};

WindowsSystem::WindowsSystem() : impl_(std::make_unique<Impl>()) {
  system_ = std::make_unique<System>(
      System{impl_->files, impl_->registry, impl_->settings, impl_->urlCache, impl_->history,
             impl_->trash, impl_->shell, impl_->downloader, impl_->process,
             [](const std::string& folder) -> std::unique_ptr<FreeSpaceWipe> {
               return WindowsFreeSpaceWipe::open(folder);
             }});
}

WindowsSystem::~WindowsSystem() = default;

RunLog* WindowsSystem::runLog() {
  return &impl_->runLog;
}

}  // namespace platform::windows_os

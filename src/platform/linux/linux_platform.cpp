#include "platform/linux/linux_platform.h"

#include "platform/linux/files/free_space_fill.h"
#include "platform/linux/files/linux_file_layer.h"
#include "platform/linux/net/curl_downloader.h"
#include "platform/linux/registry/hive_registry.h"
#include "platform/linux/system/linux_process.h"
#include "platform/linux/system/linux_shell.h"
#include "platform/linux/system/run_log_file.h"
#include "platform/linux/trash/freedesktop_trash.h"
#include "platform/no_url_cache.h"
#include "platform/registry_settings_store.h"

namespace platform {

std::unique_ptr<SystemServices> openSystemServices() {
  return std::make_unique<linux_os::LinuxSystem>();
}

}  // namespace platform

namespace platform::linux_os {

struct LinuxSystem::Impl {
  LinuxFileLayer files;
  HiveRegistry registry;
  RegistrySettingsStore settings{registry, &registry};
  // The browsers' caches and histories are the areas' sources, not system stores.
  NoUrlCache urlCache;
  NoUrlHistoryFactory history;
  FreedesktopTrash trash;
  LinuxShell shell;
  CurlDownloader downloader;
  LinuxProcess process;
  RunLogFile runLog;
};

LinuxSystem::LinuxSystem() : impl_(std::make_unique<Impl>()) {
  system_ = std::make_unique<System>(
      System{impl_->files, impl_->registry, impl_->settings, impl_->urlCache, impl_->history,
             impl_->trash, impl_->shell, impl_->downloader, impl_->process,
             [](const std::string& folder) -> std::unique_ptr<FreeSpaceWipe> {
               return LinuxFreeSpaceWipe::open(folder);
             }});
}

LinuxSystem::~LinuxSystem() = default;

RunLog* LinuxSystem::runLog() {
  return &impl_->runLog;
}

}  // namespace platform::linux_os

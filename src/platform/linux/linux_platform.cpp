#include "platform/linux/linux_platform.h"

#include "platform/fake/fake_services.h"
#include "platform/registry_settings_store.h"
#include "platform/registry_tree.h"

namespace platform::linux_os {

// Services not yet on Linux stand in as their test fakes until they land.
struct LinuxServices::Impl {
  fake::FakeFileLayer files;
  RegistryTree registry;
  RegistrySettingsStore settings{registry};
  fake::FakeUrlCache urlCache;
  fake::FakeHistoryFactory history;
  fake::FakeTrash trash;
  fake::FakeShell shell;
  fake::FakeDownloader downloader;
  fake::FakeProcess process;
};

LinuxServices::LinuxServices(forms::MessageBoxService& msgbox, forms::DialogService& dialogs,
                             forms::WindowManager& windows, forms::TrayService& tray)
    : impl_(std::make_unique<Impl>()) {
  platform_ = std::make_unique<Platform>(Platform{
      impl_->files, impl_->registry, impl_->settings, impl_->urlCache, impl_->history,
      impl_->trash, impl_->shell, impl_->downloader, impl_->process, msgbox, dialogs, windows,
      tray});
}

LinuxServices::~LinuxServices() = default;

}  // namespace platform::linux_os

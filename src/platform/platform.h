// The bundle of platform services, built once by main (or by a test) and
// handed to whoever needs it. Nothing above this layer reaches the system
// any other way.
#pragma once

#include "forms/dialogs.h"
#include "forms/message_box.h"
#include "forms/tray.h"
#include "forms/window_manager.h"
#include "platform/downloader.h"
#include "platform/file_layer.h"
#include "platform/free_space.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/trash.h"
#include "platform/url_cache.h"
#include "platform/url_history.h"

namespace platform {

struct Platform {
  FileLayer& files;
  Registry& registry;
  SettingsStore& settings;
  UrlCache& urlCache;
  UrlHistoryFactory& history;
  Trash& trash;
  Shell& shell;
  Downloader& downloader;
  Process& process;
  forms::MessageBoxService& msgbox;
  forms::DialogService& dialogs;
  forms::WindowManager& windows;
  forms::TrayService& tray;
  // Empty where the system has no free-space wipe yet.
  FreeSpaceOpener freeSpace = {};
};

}  // namespace platform

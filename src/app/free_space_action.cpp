#include "app/free_space_action.h"

#include <cctype>
#include <chrono>
#include <cstdlib>

#include "core/free_space_report.h"
#include "forms/message_box.h"
#include "identity.h"

namespace app {

using core::driveText;
using core::fillProgressText;
using core::freeSpaceSummary;
using core::freeSpaceWarning;

namespace {

constexpr const char* kCaption = "Wipe free space...";

std::string homeFolder() {
  // Windows first: there HOME may be set by other tools to somewhere else.
  for (const char* name : {"USERPROFILE", "HOME"})
    if (const char* value = std::getenv(name); value && *value) return value;
  return {};
}

}  // namespace

FreeSpaceAction::FreeSpaceAction(forms::Platform& platform, forms::PageHost host,
                                 forms::CommandButton& wipeButton)
    : platform_(platform), host_(host), wipeButton_(wipeButton) {
  // Where the system offers no free-space wipe the button does nothing.
  cmdWipeFreeSpace.setEnabled(static_cast<bool>(platform_.freeSpace));
}

FreeSpaceAction::~FreeSpaceAction() {
  // Closing the program stops the fill; the space is back when this returns.
  shared_->alive = false;
  shared_->cancel = true;
  waitForEnd();
}

void FreeSpaceAction::waitForEnd() {
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void FreeSpaceAction::cmdWipeFreeSpace_Click() {
  if (running_) {
    shared_->cancel = true;
    cmdWipeFreeSpace.setEnabled(false);  // until the space is back
    return;
  }
  if (!platform_.freeSpace) return;
  const std::string folder = platform_.dialogs.browseForFolder(
      homeFolder(), "&Select a folder on the drive whose free space to wipe", &host_.form);
  if (folder.empty()) return;
  std::unique_ptr<platform::FreeSpaceWipe> wipe;
  double speed = 0;
  {
    forms::HourglassGuard hourglass(host_.form);
    wipe = platform_.freeSpace(folder);
    if (wipe->drive().refusal.empty()) speed = wipe->measureSpeed();
  }
  if (!wipe->drive().refusal.empty()) {
    std::string text = wipe->drive().refusal + ". Nothing was written.";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    platform_.msgbox.show(text, forms::vbExclamation, identity::kAppTitle);
    return;
  }
  const int passes = 1;
  // Enter and Escape keep things as they are: only a deliberate OK fills the drive.
  if (platform_.msgbox.show(freeSpaceWarning(wipe->drive(), speed, passes),
                            forms::vbOKCancel | forms::vbExclamation | forms::vbDefaultButton2,
                            identity::kAppTitle) != forms::vbOK)
    return;
  start(std::move(wipe), passes);
}

void FreeSpaceAction::start(std::unique_ptr<platform::FreeSpaceWipe> wipe, int passes) {
  waitForEnd();  // a finished fill's thread, if any
  running_ = true;
  shared_ = std::make_shared<Shared>();
  cmdWipeFreeSpace.setCaption("Cancel");
  wipeButton_.setEnabled(false);
  host_.sbar.setPanelText(1, "Wiping the free space of " + driveText(wipe->drive()));
  forms::WindowManager& windows = platform_.windows;
  worker_ =
      std::thread([this, shared = shared_, wipe = std::move(wipe), passes, &windows]() mutable {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point begun = Clock::now();
        Clock::time_point shown;
        platform::FreeSpaceOptions options;
        options.passes = passes;
        options.cancel = &shared->cancel;
        options.progress = [&](std::int64_t written, std::int64_t total) {
          const Clock::time_point now = Clock::now();
          if (now - shown < std::chrono::milliseconds(250)) return;
          shown = now;
          const double seconds = std::chrono::duration<double>(now - begun).count();
          windows.post([this, shared, written, total, seconds] {
            if (!shared->alive) return;
            host_.sbar.setPanelText(1, "Free space: " + fillProgressText(written, total, seconds));
            host_.sbar.setProgress(written, total,
                                   std::to_string(total > 0 ? written * 100 / total : 0) + "%");
          });
        };
        const platform::FreeSpaceResult result = wipe->run(options);
        const platform::FreeSpaceDrive drive = wipe->drive();
        wipe.reset();  // the drive's lock goes before the result is shown
        windows.post([this, shared, drive, result, passes] {
          if (shared->alive) finished(drive, result, passes);
        });
      });
}

void FreeSpaceAction::finished(const platform::FreeSpaceDrive& drive,
                               const platform::FreeSpaceResult& result, int passes) {
  running_ = false;
  cmdWipeFreeSpace.setCaption(kCaption);
  cmdWipeFreeSpace.setEnabled(true);
  wipeButton_.setEnabled(true);
  host_.sbar.setPanelText(1, "");
  host_.sbar.setProgress(0, 0);
  platform_.msgbox.show(freeSpaceSummary(drive, result, passes),
                        result.ok() ? forms::vbInformation : forms::vbExclamation,
                        identity::kAppTitle);
}

}  // namespace app

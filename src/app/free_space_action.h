// "Wipe free space..." on the Secure Wipe page: the user picks a folder (the
// home folder first), the drive that holds it is surveyed, a warning states
// the drive, its free space and the time it will take, and the fill runs on a
// thread of its own. The window stays alive meanwhile: the status bar shows
// the bytes, the speed and the time left, and the same button, now "Cancel",
// stops the fill and gives the space back at once.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "forms/controls.h"
#include "forms/page_host.h"
#include "forms/platform.h"

namespace app {

class FreeSpaceAction {
 public:
  // wipeButton is the page's "&Wipe", which waits while a fill runs.
  FreeSpaceAction(forms::Platform& platform, forms::PageHost host,
                  forms::CommandButton& wipeButton);
  ~FreeSpaceAction();
  FreeSpaceAction(const FreeSpaceAction&) = delete;
  FreeSpaceAction& operator=(const FreeSpaceAction&) = delete;

  forms::CommandButton cmdWipeFreeSpace{"cmdWipeFreeSpace", "Wipe free space..."};

  void cmdWipeFreeSpace_Click();
  bool running() const { return running_; }
  // Waits for the fill's thread to end (the result is posted to the window).
  void waitForEnd();

 private:
  struct Shared {
    std::atomic<bool> cancel{false};
    bool alive = true;  // read and written on the window's thread only
  };
  void start(std::unique_ptr<platform::FreeSpaceWipe> wipe, int passes);
  void finished(const platform::FreeSpaceDrive& drive, const platform::FreeSpaceResult& result,
                int passes);

  forms::Platform& platform_;
  forms::PageHost host_;
  forms::CommandButton& wipeButton_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread worker_;
  bool running_ = false;
};

}  // namespace app

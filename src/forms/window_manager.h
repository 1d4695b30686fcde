// Window lifecycle, provided by the view toolkit (Qt) or by a scripted fake.
#pragma once

#include <functional>
#include <vector>

#include "forms/form.h"

namespace forms {

class WindowManager {
 public:
  virtual ~WindowManager() = default;
  // Creates the window's view, hidden. The caller runs Form_Load afterwards.
  virtual void load(Form& form) = 0;
  // Makes the window visible and active (bringing it forward when it already
  // is). The view runs Form_Activate each time the window becomes active.
  virtual void show(Form& form) = 0;
  // Destroys the window's view. The caller has run Form_QueryUnload.
  virtual void unload(Form& form) = 0;
  // Puts a shown window above all others without activating it.
  virtual void setTopmost(Form& form) = 0;
  // Lets pending window messages be handled, then returns.
  virtual void doEvents() = 0;
  // Shows a pop-up menu at the mouse position; runs the chosen item's onClick
  // before it returns.
  virtual void popupMenu(const std::vector<MenuItem*>& items) = 0;
  // Ends the program at once: no window's close handler runs.
  virtual void endProcess() = 0;
  // Runs task on the user-interface thread, from its event loop; may be
  // called from any thread. Work done elsewhere hands its result back so.
  // A manager without an event loop of its own runs the task at once.
  virtual void post(std::function<void()> task) { task(); }
};

}  // namespace forms

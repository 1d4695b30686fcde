// The URL history store of Windows: the system's URL history object through
// IUrlHistoryStg2 and IEnumSTATURL (COM, on the user-interface thread).
// Every failure status is handed on, with the system's words for it.
#pragma once

#include <memory>
#include <string>

#include "platform/url_history.h"

namespace platform::windows_os {

class WindowsHistoryFactory : public UrlHistoryFactory {
 public:
  WindowsHistoryFactory();
  ~WindowsHistoryFactory() override;
  WindowsHistoryFactory(const WindowsHistoryFactory&) = delete;
  WindowsHistoryFactory& operator=(const WindowsHistoryFactory&) = delete;

  // Joins the calling thread to COM (once, for the life of the factory) and
  // creates the history object; null when it cannot be created.
  std::unique_ptr<UrlHistoryStg> create() override;
  // Why the last create() gave null, in the system's words.
  std::string lastErrorText() const { return lastError_; }

 private:
  bool comJoined_ = false;  // this factory's CoInitializeEx is to be balanced
  bool comAsked_ = false;
  std::string lastError_;
};

// The system's words for a failed HRESULT, naming the store.
std::string historyFailureText(HRESULT code);

}  // namespace platform::windows_os

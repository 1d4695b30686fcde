// The notification-area icon. The shell's mouse messages reach the program as
// their Windows numbers (0x201 left press, 0x203 left double click, 0x205
// right release), so the tray logic is the same on every toolkit.
#pragma once

#include <functional>
#include <string>

namespace forms {

inline constexpr int WM_LBUTTONDOWN = 0x201;
inline constexpr int WM_LBUTTONDBLCLK = 0x203;
inline constexpr int WM_RBUTTONUP = 0x205;

class TrayService {
 public:
  virtual ~TrayService() = default;
  // Whether the desktop offers a notification area at all.
  virtual bool available() const = 0;
  // Adds the icon with its tip; onMessage receives each mouse message number.
  virtual bool addIcon(const std::string& tip, std::function<void(int)> onMessage) = 0;
  // Reports every later change of available(): a panel started after the
  // program, or one that goes away while it runs.
  virtual void watchAvailability(std::function<void(bool)> /*onChange*/) {}
};

}  // namespace forms

// The notification-area icon on Qt: the symbolic icon where the panel draws
// icons in its own colours (a StatusNotifier host), the full-colour one
// elsewhere. Its activations reach the program as the
// mouse message numbers the tray logic knows: a click as 0x201, a double
// click as 0x203, the context click as 0x205.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

#include "forms/tray.h"

namespace view_qt {

class QtTray : public QObject, public forms::TrayService {
  Q_OBJECT
 public:
  explicit QtTray(QIcon icon, QObject* parent = nullptr);
  bool available() const override;
  bool addIcon(const std::string& tip, std::function<void(int)> onMessage) override;
  // Polls the notification area while the program runs (panels register no
  // signal Qt forwards) and reports each change.
  void watchAvailability(std::function<void(bool)> onChange) override;

  // What the icon reports. A double click arrives as a click first; that
  // click's menu waits for the double-click interval and is dropped when the
  // double click follows.
  void deliver(QSystemTrayIcon::ActivationReason reason);
  QSystemTrayIcon* icon() { return &icon_; }

 private:
  void send(int message);
  void pollAvailability();

  QSystemTrayIcon icon_;
  QIcon colourIcon_;
  QTimer pendingClick_;
  QTimer availabilityPoll_;
  bool wasAvailable_ = false;
  std::function<void(int)> onMessage_;
  std::function<void(bool)> onAvailability_;
};

}  // namespace view_qt

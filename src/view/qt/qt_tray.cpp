#include "view/qt/qt_tray.h"

#include <QApplication>

namespace view_qt {

QtTray::QtTray(QIcon icon, QObject* parent) : QObject(parent) {
  icon_.setIcon(icon);
  pendingClick_.setSingleShot(true);
  connect(&pendingClick_, &QTimer::timeout, this, [this] { send(forms::WM_LBUTTONDOWN); });
  connect(&icon_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) { deliver(reason); });
}

bool QtTray::available() const {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTray::addIcon(const std::string& tip, std::function<void(int)> onMessage) {
  onMessage_ = std::move(onMessage);
  icon_.setToolTip(QString::fromStdString(tip));
  // No context menu of Qt's own: the program pops its menu up itself.
  icon_.show();
  return available();
}

bool QtTray::showMessage(const std::string& title, const std::string& text) {
  if (!icon_.isVisible()) return false;
  icon_.showMessage(QString::fromStdString(title), QString::fromStdString(text),
                    QSystemTrayIcon::Warning);
  return true;
}

void QtTray::deliver(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      pendingClick_.start(QApplication::doubleClickInterval());
      break;
    case QSystemTrayIcon::DoubleClick:
      pendingClick_.stop();
      send(forms::WM_LBUTTONDBLCLK);
      break;
    case QSystemTrayIcon::Context:
      pendingClick_.stop();
      send(forms::WM_RBUTTONUP);
      break;
    default:
      break;
  }
}

void QtTray::send(int message) {
  if (onMessage_) onMessage_(message);
}

}  // namespace view_qt

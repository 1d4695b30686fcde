#include "view/qt/qt_tray.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace view_qt {
namespace {

constexpr int kAvailabilityPollMs = 1000;

// Panels that draw StatusNotifier items recolour a symbolic icon to suit
// their theme; an XEmbed tray shows the icon as it is.
QIcon trayIcon(const QIcon& colour) {
  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")) &&
      QIcon::hasThemeIcon(QStringLiteral("tracesweep-symbolic")))
    return QIcon::fromTheme(QStringLiteral("tracesweep-symbolic"));
  return colour;
}

}  // namespace

QtTray::QtTray(QIcon icon, QObject* parent) : QObject(parent), colourIcon_(std::move(icon)) {
  icon_.setIcon(trayIcon(colourIcon_));
  availabilityPoll_.setInterval(kAvailabilityPollMs);
  connect(&availabilityPoll_, &QTimer::timeout, this, [this] { pollAvailability(); });
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

void QtTray::watchAvailability(std::function<void(bool)> onChange) {
  onAvailability_ = std::move(onChange);
  wasAvailable_ = available();
  availabilityPoll_.start();
}

void QtTray::pollAvailability() {
  bool now = available();
  if (now == wasAvailable_) return;
  wasAvailable_ = now;
  // A panel that arrives may be of the other kind; the icon is shown anew in it.
  if (now) {
    icon_.setIcon(trayIcon(colourIcon_));
    if (!icon_.isVisible()) icon_.show();
  }
  if (onAvailability_) onAvailability_(now);
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

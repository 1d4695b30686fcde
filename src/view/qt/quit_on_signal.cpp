#include "view/qt/quit_on_signal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

#include "app/modmain.h"
#include "view/qt/qt_window_manager.h"

namespace view_qt {
namespace {

int signalSockets[2] = {-1, -1};
std::atomic<bool> terminated{false};

void onSignal(int) {
  char byte = 1;
  ssize_t written = ::write(signalSockets[0], &byte, 1);
  (void)written;
}

}  // namespace

void quitOnTerminationSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return;
  auto* notifier =
      new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char byte = 0;
    ssize_t got = ::read(signalSockets[1], &byte, 1);
    (void)got;
    terminated = true;
    // exit, not quit: quit asks the windows to close, and they leave that to
    // the program; exit also leaves a running message box.
    QCoreApplication::exit(0);
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool terminationRequested() {
  return terminated;
}

int runUntilEnd(app::Modmain& app, QtWindowManager& windows) {
  // Main may already have ended the program (a second copy).
  if (windows.ended()) return 0;
  int result = QCoreApplication::exec();
  if (terminated && !windows.ended()) app.sessionEnd();
  return result;
}

}  // namespace view_qt

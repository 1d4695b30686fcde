// The tracesweep program: with arguments, the command line, which creates no
// Qt object at all (it runs over ssh and from timers, with no display);
// without, builds the platform services and the Qt view, runs the entry point
// and the event loop.
#include <QApplication>
#include <csignal>

#include "app/modmain.h"
#include "browsers/stores/browser_stores.h"
#include "cli/cli.h"
#include "forms/platform.h"
#include "view/qt/pictures.h"
#include "view/qt/qt_view.h"
#include "view/qt/quit_on_signal.h"

int main(int argc, char** argv) {
  if (cli::wantsCommandLine(argc)) {
    // A reader that went away (a closed pipe) is a report not written, told
    // by the exit status, never a silent death half-way through a run.
    std::signal(SIGPIPE, SIG_IGN);
    return cli::runCommandLine(argc, argv);
  }

  QApplication qapp(argc, argv);
  QApplication::setApplicationName("tracesweep");
  QApplication::setDesktopFileName("tracesweep");
  QApplication::setWindowIcon(view_qt::programIcon());
  // Closing the main window leaves the program running in the tray.
  QApplication::setQuitOnLastWindowClosed(false);
  view_qt::quitOnTerminationSignals();

  view_qt::QtWindowManager windows;
  view_qt::QtMessageBox msgbox;
  view_qt::QtDialogs dialogs(windows);
  view_qt::QtTray tray(view_qt::programIcon());
  const auto system = platform::openSystemServices();
  forms::Platform services = forms::withView(system->system(), msgbox, dialogs, windows, tray);

  browsers::BrowserStores browsers(services.files);

  int result = 0;
  {
    app::Modmain app(services, browsers.stores());
    app.setRunLog(system->runLog());
    app.Main();
    result = view_qt::runUntilEnd(app, windows);
    // The widgets go before the windows' models they mirror.
    windows.unloadAll();
  }
  return result;
}

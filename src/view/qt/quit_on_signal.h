// Ends the event loop cleanly on SIGTERM and SIGINT, and runs the program's
// end of session afterwards.
#pragma once

namespace app {
class Modmain;
}

namespace view_qt {

class QtWindowManager;

// The handler only writes a byte into a socket pair; the event loop reads it
// and leaves every running loop (a message box's too), so no Qt call runs
// inside the signal handler and no window goes while a box is open over it.
void quitOnTerminationSignals();
// Whether SIGTERM or SIGINT ended the event loop.
bool terminationRequested();

// Runs the event loop until the program ends. When a signal ended it, the
// session's end applies what closing the main window applies (the autostart
// box). Returns the loop's exit code.
int runUntilEnd(app::Modmain& app, QtWindowManager& windows);

}  // namespace view_qt

// Ends the event loop cleanly on SIGTERM and SIGINT.
#pragma once

namespace view_qt {

// The handler only writes a byte into a socket pair; the event loop reads it
// and quits, so no Qt call runs inside the signal handler.
void quitOnTerminationSignals();

}  // namespace view_qt

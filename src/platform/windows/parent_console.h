// The console of the program that started this one. The Windows program is
// built for the windowing subsystem, so a console starts it without one; the
// command line borrows its parent's, where it has one.
#pragma once

namespace platform::windows_os {

// Attaches to the parent's console and points the standard streams that
// were not redirected (to a file or a pipe) at it. Does nothing when the
// parent has no console: output then goes where the handles lead, if anywhere.
void useParentConsole();

}  // namespace platform::windows_os

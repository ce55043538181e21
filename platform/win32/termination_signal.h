// SIGTERM as a polite request to end: the way Windows asks a program to end without killing it
// is WM_CLOSE to each of its top-level windows, and that is what the signal becomes here.
// Internal to the window stand-in; not part of Win32.
#pragma once

namespace standin {

// From now on SIGTERM is caught instead of ending the process at once.
void CatchTerminationSignal();

// Posts WM_CLOSE to every window not inside another own window (top-level ones and children
// of foreign windows) once a caught SIGTERM has arrived; a signal that comes while there is no
// such window waits for one. Called whenever the message queue looks for input.
void DeliverTerminationRequest();

}  // namespace standin

// SIGTERM as a polite request to end: the way Windows asks a program to end without killing it
// is WM_CLOSE to each of its top-level windows, and that is what the signal becomes here.
// Internal to the window stand-in; not part of Win32.
#pragma once

namespace standin {

// From now on SIGTERM is caught instead of ending the process at once.
void CatchTerminationSignal();

// While the program waits in a modal box of the toolkit it reads no messages, so a SIGTERM
// could not reach its windows: during such a wait the signal ends the process at once, with
// exit code 0. Nothing is left half done (the registry file is only ever replaced whole), and
// whoever sent the signal wants the program gone. A signal already waiting ends it on entry.
void SetWaitingInModalBox(bool waiting);

// Posts WM_CLOSE to every window not inside another own window (top-level ones and children
// of foreign windows) once a caught SIGTERM has arrived; a signal that comes while there is no
// such window waits for one. Called whenever the message queue looks for input.
void DeliverTerminationRequest();

}  // namespace standin

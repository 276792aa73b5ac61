// SIGINT, SIGTERM and SIGHUP end the program the way its Exit does, through the event loop:
// the handler only notes the signal and writes its number into a pipe that the event loop
// watches. A second signal ends the process at once, by the signal itself.
#pragma once

namespace kestrel {

// Installs the handlers and makes the pipe; false (with errno set) when either fails, and the
// signals then keep their default action. Called once, before the program's objects exist.
bool InstallTerminationSignals();

// The pipe's reading end for the event loop to watch, or -1 before installation.
int TerminationSignalDescriptor();

// Empties the pipe; returns the number of the last signal read from it, or 0.
int TakeTerminationSignal();

// True from the first signal on. Work that does not return to the event loop (the
// command-line job) asks it between transmissions.
bool TerminationSignalArrived();

// The signal's name, e.g. "SIGTERM".
const char* TerminationSignalName(int signalNumber);

}  // namespace kestrel

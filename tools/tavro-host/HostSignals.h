#pragma once
// Ending the host from its terminal (Ctrl-C, SIGINT) or by the system (SIGTERM) while
// its panel is the project: the handler only notes the signal; the main thread sees it
// in its loops and closes as the window's close does: the transport stopped, the state
// written, the plug-in closed. A second signal ends the host at once, as before.

// Installs the handlers for SIGINT and SIGTERM.
// threads: main
void InstallHostSignals();
// The signal that asked the host to end, or 0.
// threads: any
int HostSignalReceived();
// Waits up to `milliseconds` for a signal; true when one has come.
// threads: main
bool WaitForHostSignal(int milliseconds);

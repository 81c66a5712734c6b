#pragma once
// Ending the host from its terminal (Ctrl-C: SIGINT; Ctrl-\: SIGQUIT; the terminal
// closed: SIGHUP) or by the system (SIGTERM), whatever it runs (the panel kept open, a
// script, plain rendering): the handler only notes the signal; the main thread sees it
// in its loops and closes in order: the script stops, the transport stopped, the
// state written, the plug-in closed. Unlike the window's close it asks nothing:
// unsaved librarian changes are lost. A later signal changes nothing: the state is
// never left unwritten for it.

// Installs the handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT.
// threads: main
void InstallHostSignals();
// The first signal that asked the host to end, or 0.
// threads: any
int HostSignalReceived();
// Waits up to `milliseconds` for a signal; true when one has come.
// threads: main
bool WaitForHostSignal(int milliseconds);
// Waits until `fd` has something to read (or its writer closed it); false once a
// signal has come, however long the wait had been.
// threads: main
bool WaitForReadableOrHostSignal(int fd);

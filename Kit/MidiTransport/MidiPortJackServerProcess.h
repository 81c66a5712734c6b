#pragma once
// The JACK server's own process as the system sees it: whether a server whose cycles
// are overdue is at work all the same (a thread of it runnable, waiting for the
// processor on a loaded machine) or does nothing (halted, or stuck while it stops).
// threads: any

#include <string>

// The server's name a client opened now uses: JACK_DEFAULT_SERVER, else "default".
// threads: main, closer (where clients open)
std::string DefaultJackServerName();
// True while a thread of the server `name` is runnable; false when none is, or the
// server's process is not found.
bool JackServerProcessAtWork(const std::string& name);

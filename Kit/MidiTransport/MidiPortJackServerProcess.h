#pragma once
// The JACK server's own process as the system sees it: whether a server whose cycles
// are overdue is at work all the same (a thread of it runnable, waiting for the
// processor on a loaded machine) or does nothing (halted, or stuck while it stops).
// threads: any

// True while a thread of the server this process's clients use (JACK_DEFAULT_SERVER,
// else "default") is runnable; false when none is, or the server's process is not
// found.
bool JackServerProcessAtWork();

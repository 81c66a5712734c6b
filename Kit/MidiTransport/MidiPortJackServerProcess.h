#pragma once
// The JACK server's own process as the system sees it: whether a server whose cycles
// are overdue is at work all the same (a thread of it runnable, waiting for the
// processor on a loaded machine) or does nothing (halted, or stuck while it stops).
// threads: any

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The server's name a client opened now uses: JACK_DEFAULT_SERVER, else "default".
// threads: main, closer (where clients open)
std::string DefaultJackServerName();
// True while the server `name` takes clients: its socket accepts a connection. One
// stopping has taken its socket away; one killed left it behind, unanswered.
bool JackServerListening(const std::string& name);
// True while a thread of the server `name` is runnable; false when none is, or the
// server's process is not found.
bool JackServerProcessAtWork(const std::string& name);

// The pid of the server entry `entry` ("jack-UID:NAME:") in the bytes of the machine's
// JACK server registry; -1 when no entry with a pid holds that name (a name that runs
// to its entry's end without its terminator holds none).
pid_t JackRegistryServerPid(const uint8_t* bytes, size_t size, const std::string& entry);
// The state letter of a /proc/<pid>/task/<tid>/stat line, after the command's closing
// parenthesis (the command may hold any bytes, ')' too); 0 when the line is cut before it.
char StatLineThreadState(const char* text, size_t size);

#pragma once
// Starting a helper program (the desktop's opener) without waiting for it.

#include <sys/types.h>
#include <string>
#include <vector>

// Starts `program` (looked up in PATH) with the arguments; false, with the reason,
// when it could not be started. The child's id goes to `child` for reaping.
bool ViewSpawn(const std::string& program, const std::vector<std::string>& args, pid_t* child, std::string* error);

// Reaps the children that have ended; drops them from the list.
void ViewReapChildren(std::vector<pid_t>* children);

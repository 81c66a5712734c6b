#pragma once
// Runs a program as a test needs it, with no shell between: each argument reaches the
// program whole, whatever spaces, quotes or letters beyond ASCII its paths hold.
// threads: main (the test's)

#include <string>
#include <vector>

// Runs `argv` (the program first: a path, or a name looked up on PATH), stdin empty,
// and waits for it. Returns its exit status; -1 when it could not start or a signal
// ended it. What it prints on stdout goes to `output` (replaced, when given) and so
// does its stderr, unless `errors` is given: then stderr goes there (replaced).
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr, std::string* errors = nullptr);

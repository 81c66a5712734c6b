#pragma once
// The program dump's fields by parameter name, for tests that hold a panel against a
// unit field by field. Defined in a file of its own, which keeps the dump table's
// constants out of the tests that include this.

#include <string>
#include <vector>

// The names of every field of a program's part block, in dump order.
std::vector<std::string> ProgramFieldNames();

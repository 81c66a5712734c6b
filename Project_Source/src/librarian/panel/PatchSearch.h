#pragma once
// Search of program names over the loaded program banks: the matches, copied,
// become "Search Results n" banks of up to 99 programs that the right pane shows.
//
// threads: main (the caller); the library is read and the results swapped in under
// the librarian lock.

#include <string>

#include "librarian/LibrarianRecords.h"

class PatchLibrarian;

// The result banks for `text` over `programs`: every program bank (generated flag 0
// or 1) whose patch names hold the text byte-wise, in order, duplicates kept. No
// empty trailing bank; none at all without a match.
PatchFileList collectSearchBanks(const PatchFileList& programs, const std::string& text);

// Replaces the librarian's search results and search tree with those for `text`;
// the old result banks are freed with their tree entries. Returns the number of banks.
int createNewSearchPatchFiles(PatchLibrarian& librarian, const std::string& text);

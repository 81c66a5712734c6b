#pragma once
// The named forms in which the librarian keeps a received dump. Only whole dumps are
// kept, and only bytes the message holds are read.
//
// threads: any (pure).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A program of 139 bytes gains `name` (149 bytes); one of 149 is kept as it is. Any
// other size gives nothing.
std::vector<uint8_t> LibrarianProgramForm(const uint8_t* bytes, size_t size, const std::string& name);

// A performance of 711..715 bytes becomes its bytes to 713, zero-filled where the
// message ended, its end byte zeroed, then `name` and 0xF7 (725 bytes); one of 725 or
// 765 is kept as it is. Any other size gives nothing.
std::vector<uint8_t> LibrarianPerformanceForm(const uint8_t* bytes, size_t size, const std::string& name);

#pragma once
// Finding a stored port name among the names the system offers now.

#include <string>
#include <vector>

// Position in `names` of the port that `wanted` means, or -1:
// 1. the entry equal to `wanted`;
// 2. for a `wanted` of exactly `storedLength` characters (host state cuts names
//    to that length), the one entry that starts with it;
// 3. the first entry equal to `wanted` once both lose a trailing ALSA
//    " client:port" number pair (the numbers change when devices come and go).
// An empty `wanted` matches nothing.
int MidiPortFindName(const std::vector<std::string>& names, const std::string& wanted, size_t storedLength = 32);

// `name` without a trailing " <digits>:<digits>".
std::string MidiPortWithoutAlsaNumbers(const std::string& name);

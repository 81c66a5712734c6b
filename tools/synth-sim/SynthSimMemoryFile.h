#pragma once
// The unit's memory written out, for a test to read what it holds after a run: one
// line of hex bytes ("F0 33 05 04 03 07 ... F7") for each place, as a plain dump of
// it: the four program edit buffers (type 00, the slot as number), the edit
// performance (1E), then every stored program (type bank + 1) and every stored
// performance (1F + bank) of the model's banks, in bank and number order.

#include <string>
#include <vector>

#include "SynthSim.h"

// threads: any (the simulator takes its own lock for each place)
std::vector<SynthSim::Message> SynthSimMemoryDumps(const SynthSim& sim);
// Writes the dumps to `path`, replacing it; false when it cannot be written whole.
bool WriteSynthSimMemory(const SynthSim& sim, const std::string& path);

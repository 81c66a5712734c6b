#pragma once
// One part slot's 132 bytes, as the program dump and each part block of the
// performance dump carry them.
//
// threads: any (no state).

#include <cstdint>

#include "messaging/DumpFieldIndices.h"

// Writes the slot's 132 bytes at `block`, each value held to its field.
void EncodePartBlock(const DumpFieldIndices& indices, const DumpParameters& params, int slot, uint8_t* block);

// Takes the fields of the block at `block` whose bytes all lie below `end` (a block
// cut short keeps the rest) into the slot's parameters, honouring the slot's locks.
void DecodePartBlock(const DumpFieldIndices& indices, const uint8_t* block, int end, int slot, DumpParameters& params);

#pragma once
// What two saved editor states mean, compared: the bytes, but for the two port
// selections, which are the ports' places in the port lists of the moment (another
// place when a port joined or left the lists, 0 while a port is away). The port names
// stored beside them are what a restore finds the ports by, and they are compared.
//
// The chunk: a 20-byte header (tag, slot tab, model), the patch manager's block (two
// markers, a big-endian snapshot length and the snapshot, then seven names, each a
// native int32 length and its bytes), then the two port selections as doubles.
// threads: any

#include <cstddef>
#include <cstdint>
#include <vector>

// The chunk with its port selections zeroed; unchanged when it is too short to hold
// them (then every byte is compared).
std::vector<uint8_t> WithoutPortPlaces(const uint8_t* bytes, size_t size);

// True when the two chunks are equal but for their port selections.
bool SameStateMeaning(const uint8_t* a, size_t aSize, const uint8_t* b, size_t bSize);

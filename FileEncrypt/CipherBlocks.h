#pragma once
// Whole files through TEA, block by block, as the resource reader expects them.

#include <cstdint>
#include <vector>

// Zero-pads plain to a multiple of 8 bytes with at least one zero byte (the
// reader's end of text), then enciphers every block.
std::vector<unsigned char> EncipherPadded(std::vector<unsigned char> plain, const uint32_t key[4]);

// Deciphers every block; a last block the data fills only in part is deciphered
// with zero fill, as the resource reader does.
std::vector<unsigned char> DecipherBlocks(std::vector<unsigned char> cipher, const uint32_t key[4]);

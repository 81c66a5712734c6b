#pragma once
// TEA (Tiny Encryption Algorithm) on one 8-byte block in place: two big-endian
// words, 32 cycles, under a key of four 32-bit words k0..k3. Blocks are ciphered
// each on its own (electronic codebook).

#include <cstdint>

class Tea {
public:
  static constexpr int kBlockBytes = 8;
  static constexpr int kKeyWords = 4;

  static void simpledecrypt(unsigned char* block, const uint32_t* key);
  // The inverse of simpledecrypt; used to make the enciphered resources.
  static void simpleencrypt(unsigned char* block, const uint32_t* key);
};

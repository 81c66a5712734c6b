#pragma once
// TEA (Tiny Encryption Algorithm) on one 8-byte block in place: two big-endian
// words, 32 cycles, under a key of four 32-bit words k0..k3. Blocks are ciphered
// each on its own (electronic codebook).
//
// threads: any (no shared state).

#include <cstddef>
#include <cstdint>

class Tea {
public:
  static constexpr int kBlockBytes = 8;
  static constexpr int kKeyWords = 4;

  static void simpledecrypt(unsigned char* block, const uint32_t* key);
  // simpledecrypt on `blocks` consecutive blocks, several at a time (the blocks are
  // independent, so their rounds overlap); the same bytes as one block after another.
  static void simpledecryptBlocks(unsigned char* data, size_t blocks, const uint32_t* key);
  // The inverse of simpledecrypt; used to make the enciphered resources.
  static void simpleencrypt(unsigned char* block, const uint32_t* key);

  // One block given as two words v[0], v[1] in the machine's order.
  static void encryptTea(uint32_t* v, const uint32_t* key);
  static void decryptTea(uint32_t* v, const uint32_t* key);

  // Whole buffers as native words with a length trailer, a form the resources do
  // not use. encryptBlock writes *length into the second word of the block after
  // the data, sets *length to the data rounded up to whole blocks plus that block,
  // and enciphers it all: data needs room for the rounded length plus 8 bytes.
  static void encryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key);
  // Deciphers *length / 8 blocks, then sets *length to the trailer's count. A
  // buffer without a whole block, or a trailer claiming more than the data before
  // it, gives the length that data can hold.
  static void decryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key);
  // The bytes as they are, then a newline, on standard output.
  static void printBuffer(const unsigned char* data, int length);
};

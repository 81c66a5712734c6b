#pragma once
// Big-endian 32-bit words read and written byte by byte: no alignment or host
// byte-order assumption, for the cipher and digest blocks.

#include <cstdint>

inline uint32_t Kit_LoadBigEndian32(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

inline void Kit_StoreBigEndian32(uint32_t value, unsigned char* p) {
  p[0] = uint8_t(value >> 24);
  p[1] = uint8_t(value >> 16);
  p[2] = uint8_t(value >> 8);
  p[3] = uint8_t(value);
}

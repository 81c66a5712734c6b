#include "tea.h"

namespace {

constexpr uint32_t kDelta = 0x9E3779B9;
constexpr int kCycles = 32;

uint32_t loadBigEndian(const unsigned char* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void storeBigEndian(uint32_t value, unsigned char* p) {
  p[0] = uint8_t(value >> 24);
  p[1] = uint8_t(value >> 16);
  p[2] = uint8_t(value >> 8);
  p[3] = uint8_t(value);
}

} // namespace

void Tea::simpledecrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = loadBigEndian(block);
  uint32_t z = loadBigEndian(block + 4);
  uint32_t sum = kDelta * uint32_t(kCycles);
  for (int i = 0; i < kCycles; ++i) {
    z -= ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
    y -= ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    sum -= kDelta;
  }
  storeBigEndian(y, block);
  storeBigEndian(z, block + 4);
}

void Tea::simpleencrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = loadBigEndian(block);
  uint32_t z = loadBigEndian(block + 4);
  uint32_t sum = 0;
  for (int i = 0; i < kCycles; ++i) {
    sum += kDelta;
    y += ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    z += ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
  }
  storeBigEndian(y, block);
  storeBigEndian(z, block + 4);
}

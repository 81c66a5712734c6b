#include "tea.h"

#include "Kit_ByteOrder.h"

namespace {

constexpr uint32_t kDelta = 0x9E3779B9;
constexpr int kCycles = 32;

} // namespace

void Tea::simpledecrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = Kit_LoadBigEndian32(block);
  uint32_t z = Kit_LoadBigEndian32(block + 4);
  uint32_t sum = kDelta * uint32_t(kCycles);
  for (int i = 0; i < kCycles; ++i) {
    z -= ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
    y -= ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    sum -= kDelta;
  }
  Kit_StoreBigEndian32(y, block);
  Kit_StoreBigEndian32(z, block + 4);
}

void Tea::simpleencrypt(unsigned char* block, const uint32_t* key) {
  uint32_t y = Kit_LoadBigEndian32(block);
  uint32_t z = Kit_LoadBigEndian32(block + 4);
  uint32_t sum = 0;
  for (int i = 0; i < kCycles; ++i) {
    sum += kDelta;
    y += ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    z += ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
  }
  Kit_StoreBigEndian32(y, block);
  Kit_StoreBigEndian32(z, block + 4);
}

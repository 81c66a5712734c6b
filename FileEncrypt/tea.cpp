#include "tea.h"

#include <cstdio>
#include <cstring>

#include "Kit_ByteOrder.h"

namespace {

constexpr uint32_t kDelta = 0x9E3779B9;
constexpr int kCycles = 32;

using WordCipher = void (*)(uint32_t*, const uint32_t*);

void CipherBigEndianBlock(unsigned char* block, const uint32_t* key, WordCipher cipher) {
  uint32_t v[2] = {Kit_LoadBigEndian32(block), Kit_LoadBigEndian32(block + 4)};
  cipher(v, key);
  Kit_StoreBigEndian32(v[0], block);
  Kit_StoreBigEndian32(v[1], block + 4);
}

void CipherNativeBlocks(unsigned char* data, uint32_t blocks, const uint32_t* key, WordCipher cipher) {
  for (uint32_t i = 0; i < blocks; ++i) {
    uint32_t v[2];
    std::memcpy(v, data + size_t(i) * Tea::kBlockBytes, sizeof v);
    cipher(v, key);
    std::memcpy(data + size_t(i) * Tea::kBlockBytes, v, sizeof v);
  }
}

}  // namespace

void Tea::encryptTea(uint32_t* v, const uint32_t* key) {
  uint32_t y = v[0], z = v[1], sum = 0;
  for (int i = 0; i < kCycles; ++i) {
    sum += kDelta;
    y += ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    z += ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
  }
  v[0] = y;
  v[1] = z;
}

void Tea::decryptTea(uint32_t* v, const uint32_t* key) {
  uint32_t y = v[0], z = v[1], sum = kDelta * uint32_t(kCycles);
  for (int i = 0; i < kCycles; ++i) {
    z -= ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
    y -= ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
    sum -= kDelta;
  }
  v[0] = y;
  v[1] = z;
}

void Tea::simpledecrypt(unsigned char* block, const uint32_t* key) { CipherBigEndianBlock(block, key, decryptTea); }

void Tea::simpledecryptBlocks(unsigned char* data, size_t blocks, const uint32_t* key) {
  // Four blocks in one vector register: the same operations, lane by lane.
  constexpr size_t kLanes = 4;
  typedef uint32_t Lanes __attribute__((vector_size(kLanes * sizeof(uint32_t))));
  size_t i = 0;
  for (; i + kLanes <= blocks; i += kLanes) {
    unsigned char* lane = data + i * kBlockBytes;
    Lanes y, z;
    for (size_t l = 0; l < kLanes; ++l) {
      y[l] = Kit_LoadBigEndian32(lane + l * kBlockBytes);
      z[l] = Kit_LoadBigEndian32(lane + l * kBlockBytes + 4);
    }
    uint32_t sum = kDelta * uint32_t(kCycles);
    for (int c = 0; c < kCycles; ++c) {
      z -= ((y << 4) + key[2]) ^ (y + sum) ^ ((y >> 5) + key[3]);
      y -= ((z << 4) + key[0]) ^ (z + sum) ^ ((z >> 5) + key[1]);
      sum -= kDelta;
    }
    for (size_t l = 0; l < kLanes; ++l) {
      Kit_StoreBigEndian32(y[l], lane + l * kBlockBytes);
      Kit_StoreBigEndian32(z[l], lane + l * kBlockBytes + 4);
    }
  }
  for (; i < blocks; ++i) simpledecrypt(data + i * kBlockBytes, key);
}

void Tea::simpleencrypt(unsigned char* block, const uint32_t* key) { CipherBigEndianBlock(block, key, encryptTea); }

void Tea::encryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key) {
  const uint32_t rounded = (*length + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
  std::memcpy(data + rounded + 4, length, sizeof *length);
  *length = rounded + kBlockBytes;
  CipherNativeBlocks(data, *length / kBlockBytes, key, encryptTea);
}

void Tea::decryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key) {
  const uint32_t blocks = *length / kBlockBytes;
  CipherNativeBlocks(data, blocks, key, decryptTea);
  if (blocks == 0) {
    *length = 0;
    return;
  }
  uint32_t stored;
  std::memcpy(&stored, data + size_t(blocks) * kBlockBytes - 4, sizeof stored);
  // A damaged or foreign trailer must not send the caller past the data.
  const uint32_t room = (blocks - 1) * kBlockBytes;
  *length = stored < room ? stored : room;
}

void Tea::printBuffer(const unsigned char* data, int length) {
  if (data && length > 0) std::fwrite(data, 1, size_t(length), stdout);
  std::fputc('\n', stdout);
}

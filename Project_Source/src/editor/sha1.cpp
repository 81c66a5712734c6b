#include "editor/sha1.h"

#include <cstdint>
#include <cstring>

#include "Kit_ByteOrder.h"

namespace sha1 {
namespace {

constexpr int kBlockBytes = 64;
// The tail block must keep this many bytes free for the 64-bit bit length.
constexpr int kLengthBytes = 8;

uint32_t rol(uint32_t value, int steps) { return (value << steps) | (value >> (32 - steps)); }

// Processes one block given as 16 words in w, extended in place to the 80-word schedule.
void innerHash(uint32_t* result, uint32_t* w) {
  for (int i = 16; i < 80; ++i) w[i] = rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = result[0], b = result[1], c = result[2], d = result[3], e = result[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    const uint32_t t = rol(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = rol(b, 30);
    b = a;
    a = t;
  }
  result[0] += a;
  result[1] += b;
  result[2] += c;
  result[3] += d;
  result[4] += e;
}

void hashBlock(uint32_t* result, const unsigned char* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i) w[i] = Kit_LoadBigEndian32(block + 4 * i);
  innerHash(result, w);
}

}  // namespace

bool calc(const void* src, int byteLength, unsigned char* hash) {
  if (byteLength < 0 || (!src && byteLength > 0)) return false;
  uint32_t result[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  const unsigned char* bytes = static_cast<const unsigned char*>(src);

  const int wholeBlocksEnd = byteLength / kBlockBytes * kBlockBytes;
  for (int offset = 0; offset < wholeBlocksEnd; offset += kBlockBytes) hashBlock(result, bytes + offset);

  unsigned char tail[kBlockBytes] = {};
  const int rest = byteLength - wholeBlocksEnd;
  if (rest > 0) std::memcpy(tail, bytes + wholeBlocksEnd, size_t(rest));
  tail[rest] = 0x80;
  if (rest >= kBlockBytes - kLengthBytes) {
    hashBlock(result, tail);
    std::memset(tail, 0, sizeof tail);
  }
  const uint64_t bitLength = uint64_t(byteLength) * 8u;
  Kit_StoreBigEndian32(uint32_t(bitLength >> 32), tail + kBlockBytes - 8);
  Kit_StoreBigEndian32(uint32_t(bitLength), tail + kBlockBytes - 4);
  hashBlock(result, tail);

  for (int i = 0; i < 5; ++i) Kit_StoreBigEndian32(result[i], hash + 4 * i);
  return true;
}

void toHexString(const unsigned char* hash, char* hexString) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < kDigestBytes; ++i) {
    hexString[2 * i] = kDigits[hash[i] >> 4];
    hexString[2 * i + 1] = kDigits[hash[i] & 0x0F];
  }
  hexString[2 * kDigestBytes] = 0;
}

}  // namespace sha1

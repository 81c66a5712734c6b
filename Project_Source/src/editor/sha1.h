#pragma once
// SHA-1 message digest of a byte buffer held in memory, and its hexadecimal text.

namespace sha1 {

constexpr int kDigestBytes = 20;
constexpr int kHexStringBytes = 41;  // 40 digits and a NUL

// Writes the 20-byte digest of the byteLength bytes at src into hash. Returns
// false (hash untouched) for a negative length, or null src with a non-zero length.
bool calc(const void* src, int byteLength, unsigned char* hash);

// Writes the 40 lower-case hex digits of the 20-byte hash and a NUL into hexString.
void toHexString(const unsigned char* hash, char* hexString);

}  // namespace sha1

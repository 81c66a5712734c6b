#pragma once
// The plain scalar types of the macOS interfaces we stand in for, and
// four-character codes built at compile time (never multi-character literals,
// whose value is implementation-defined).

#include <cstdint>

using UInt8 = uint8_t;
using SInt8 = int8_t;
using UInt16 = uint16_t;
using SInt16 = int16_t;
using UInt32 = uint32_t;
using SInt32 = int32_t;
using UInt64 = uint64_t;
using SInt64 = int64_t;
using Float32 = float;
using Float64 = double;
using Boolean = uint8_t;
using OSType = uint32_t;
using OSErr = int16_t;
using OSStatus = int32_t;

// 'tvrq' -> 0x74767271: the first character is the most significant byte.
constexpr OSType FourCC(const char (&code)[5]) {
  return (OSType(UInt8(code[0])) << 24) | (OSType(UInt8(code[1])) << 16) | (OSType(UInt8(code[2])) << 8) |
         OSType(UInt8(code[3]));
}

static_assert(FourCC("tvrq") == 0x74767271u, "four-character codes are big-endian packed");

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus memFullErr = -108;
constexpr OSStatus invalidComponentID = -3000;
constexpr OSStatus coreFoundationUnknownErr = -4960;

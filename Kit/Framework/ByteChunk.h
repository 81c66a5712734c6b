#pragma once
// The flat byte buffer in which state travels between the plug-in, the host and files.
//
// Encoding, the same on every machine: int32 as 4 bytes little-endian, double as 8 bytes
// IEEE 754 little-endian, bool as 1 byte (0 or 1), string as an int32 length L followed by
// L bytes of text without terminator. Raw bytes and other chunks are appended as they are.
//
// Appends return the new size. Readers take an explicit position (the chunk has no
// cursor) and return the position after the item, or -1 when the item does not lie
// wholly within the chunk; a failed read leaves its destination untouched. No reader
// reads past the end and none throws.
//
// threads: any (not thread-safe: the owner locks).

#include <cstdint>

#include "Kit_HeapBuf.h"
#include "Kit_String.h"

class ByteChunk {
public:
  explicit ByteChunk(int granularity = 4096);

  int PutInt32(int32_t value);
  int PutDouble(double value);
  int PutBool(bool value);
  // Writes strlen(text) as the length; a null text is written as length 0.
  int PutStr(const char* text);
  int PutBytes(const void* data, int size);
  int PutChunk(const ByteChunk* other);

  int GetInt32(int32_t* value, int pos) const;
  int GetDouble(double* value, int pos) const;
  int GetBool(bool* value, int pos) const;
  // Reads length L, then L bytes; the text is cut at the first zero byte among them.
  // L == 0 returns pos + 4 and keeps the previous text; a negative L or one longer than
  // the bytes that remain returns -1 and keeps the previous text.
  int GetStr(Kit_String* text, int pos) const;
  int GetBytes(void* out, int size, int pos) const;

  void Clear();
  int Size() const;
  // Sets the size; new bytes are zero. Returns the new size, or the old one on failure.
  int Resize(int newSize);
  // Null when the chunk is empty.
  uint8_t* GetBytes();
  const uint8_t* GetBytes() const;

  // The double stored little-endian in the 8 bytes at `bytes` (no alignment needed).
  static double DoubleFromBytes(const uint8_t* bytes);

  // True when `size` bytes from `pos` lie wholly inside the chunk; lets a reader check
  // that a whole record is there before it applies any of it.
  bool Holds(int pos, int64_t size) const;

private:
  // Room for `size` more bytes at the end; null when it cannot grow.
  uint8_t* Append(int size);

  Kit_TypedBuf<uint8_t> mBytes;
};

// The framework's version header: int32 0x70666674 ("tffp"), then the int32 version 0x10000.
constexpr int32_t kIModuleChunkMagic = 0x70666674;
constexpr int32_t kIModuleChunkVersion = 0x00010000;

// Empties the chunk and writes the header.
void InitChunkWithIModuleVer(ByteChunk* chunk);
// Reads the header at *pos. Returns the version and advances *pos by 8; returns 0 with
// *pos unchanged when *pos < 0, fewer than 4 bytes remain or the magic differs; returns
// 0 with *pos = -1 when the version does not fit.
int GetIModuleVerFromChunk(const ByteChunk* chunk, int* pos);

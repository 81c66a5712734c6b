#include "Framework/ByteChunk.h"

#include <cstring>

namespace {

void StoreLE(uint8_t* out, uint64_t bits, int width) {
  for (int i = 0; i < width; ++i) out[i] = uint8_t(bits >> (8 * i));
}

uint64_t LoadLE(const uint8_t* in, int width) {
  uint64_t bits = 0;
  for (int i = 0; i < width; ++i) bits |= uint64_t(in[i]) << (8 * i);
  return bits;
}

}  // namespace

ByteChunk::ByteChunk(int granularity) : mBytes(granularity) {}

uint8_t* ByteChunk::Append(int size) {
  const int oldSize = Size();
  if (size <= 0 || int64_t(oldSize) + size > INT32_MAX) return nullptr;
  uint8_t* bytes = mBytes.Resize(oldSize + size, false);
  return bytes ? bytes + oldSize : nullptr;
}

bool ByteChunk::Holds(int pos, int64_t size) const {
  return pos >= 0 && size >= 0 && int64_t(pos) + size <= int64_t(Size());
}

int ByteChunk::PutInt32(int32_t value) {
  if (uint8_t* out = Append(4)) StoreLE(out, uint32_t(value), 4);
  return Size();
}

int ByteChunk::PutDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (uint8_t* out = Append(8)) StoreLE(out, bits, 8);
  return Size();
}

int ByteChunk::PutBool(bool value) {
  if (uint8_t* out = Append(1)) *out = value ? 1 : 0;
  return Size();
}

int ByteChunk::PutStr(const char* text) {
  const size_t length = text ? std::strlen(text) : 0;
  if (length > size_t(INT32_MAX - 4)) return Size();
  PutInt32(int32_t(length));
  return PutBytes(text, int(length));
}

int ByteChunk::PutBytes(const void* data, int size) {
  if (data && size > 0) {
    if (uint8_t* out = Append(size)) std::memcpy(out, data, size_t(size));
  }
  return Size();
}

int ByteChunk::PutChunk(const ByteChunk* other) {
  if (!other) return Size();
  const int size = other->Size();
  // Read the source only after growing: appending a chunk to itself may move its bytes.
  if (uint8_t* out = Append(size)) std::memcpy(out, other->GetBytes(), size_t(size));
  return Size();
}

int ByteChunk::GetInt32(int32_t* value, int pos) const {
  if (!Holds(pos, 4)) return -1;
  *value = int32_t(uint32_t(LoadLE(GetBytes() + pos, 4)));
  return pos + 4;
}

int ByteChunk::GetDouble(double* value, int pos) const {
  if (!Holds(pos, 8)) return -1;
  *value = DoubleFromBytes(GetBytes() + pos);
  return pos + 8;
}

int ByteChunk::GetBool(bool* value, int pos) const {
  if (!Holds(pos, 1)) return -1;
  *value = GetBytes()[pos] != 0;
  return pos + 1;
}

int ByteChunk::GetStr(Kit_String* text, int pos) const {
  int32_t length = 0;
  const int textPos = GetInt32(&length, pos);
  if (textPos < 0 || !Holds(textPos, length)) return -1;
  if (length > 0) {
    // Kit_String::Set stops at the first zero byte among the L bytes.
    text->Set(reinterpret_cast<const char*>(GetBytes() + textPos), length);
  }
  return textPos + length;
}

int ByteChunk::GetBytes(void* out, int size, int pos) const {
  if (size < 0 || !Holds(pos, size)) return -1;
  if (size > 0) std::memcpy(out, GetBytes() + pos, size_t(size));
  return pos + size;
}

double ByteChunk::DoubleFromBytes(const uint8_t* bytes) {
  const uint64_t bits = LoadLE(bytes, 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void ByteChunk::Clear() { mBytes.Resize(0); }

int ByteChunk::Size() const { return mBytes.GetSize(); }

int ByteChunk::Resize(int newSize) {
  const int oldSize = Size();
  if (newSize < 0) return oldSize;
  if (newSize == 0) {
    Clear();
    return 0;
  }
  uint8_t* bytes = mBytes.Resize(newSize);
  if (!bytes) return oldSize;
  if (newSize > oldSize) std::memset(bytes + oldSize, 0, size_t(newSize - oldSize));
  return newSize;
}

uint8_t* ByteChunk::GetBytes() { return Size() ? mBytes.Get() : nullptr; }

const uint8_t* ByteChunk::GetBytes() const { return Size() ? mBytes.Get() : nullptr; }

void InitChunkWithIModuleVer(ByteChunk* chunk) {
  chunk->Clear();
  chunk->PutInt32(kIModuleChunkMagic);
  chunk->PutInt32(kIModuleChunkVersion);
}

int GetIModuleVerFromChunk(const ByteChunk* chunk, int* pos) {
  int32_t magic = 0;
  if (*pos < 0 || chunk->GetInt32(&magic, *pos) < 0 || magic != kIModuleChunkMagic) return 0;
  int32_t version = 0;
  const int next = chunk->GetInt32(&version, *pos + 4);
  *pos = next;
  return next < 0 ? 0 : version;
}

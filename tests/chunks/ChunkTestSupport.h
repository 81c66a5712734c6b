#pragma once
// A chunk's bytes and a chunk of given bytes, for the chunk tests' comparisons.
// threads: any

#include <cstdint>
#include <vector>

#include "Framework/ByteChunk.h"

// The bytes `chunk` holds; none for an empty one.
inline std::vector<uint8_t> BytesOf(const ByteChunk& chunk) {
  const uint8_t* bytes = chunk.GetBytes();
  return bytes ? std::vector<uint8_t>(bytes, bytes + chunk.Size()) : std::vector<uint8_t>();
}

// A chunk holding `bytes`.
inline ByteChunk ChunkOf(const std::vector<uint8_t>& bytes) {
  ByteChunk chunk;
  chunk.PutBytes(bytes.data(), int(bytes.size()));
  return chunk;
}

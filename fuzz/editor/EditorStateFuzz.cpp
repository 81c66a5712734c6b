// The editor's recall of a host state chunk from any bytes: a chunk is refused and the
// editor saves exactly as before, or it is taken and what the editor then saves is
// taken again and saves alike.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "EditorTestSupport.h"

namespace {

std::vector<uint8_t> Saved(Tavro& plug) {
  ByteChunk chunk;
  plug.SerializeState(&chunk);
  return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

ByteChunk ChunkOf(const uint8_t* data, size_t size) {
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  return chunk;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One editor for the whole run: opening one takes far longer than a recall.
  static EditorFixture* editor = new EditorFixture();
  Tavro& plug = *editor->plug;
  const std::vector<uint8_t> before = Saved(plug);
  ByteChunk chunk = ChunkOf(data, size);
  if (plug.UnserializeState(&chunk, 0) < 0) {
    if (Saved(plug) != before) std::abort();
    return 0;
  }
  const std::vector<uint8_t> after = Saved(plug);
  ByteChunk again = ChunkOf(after.data(), after.size());
  if (plug.UnserializeState(&again, 0) != int(after.size())) std::abort();
  if (Saved(plug) != after) std::abort();
  return 0;
}

// The patch manager block of a host state chunk from any bytes: the read ends inside
// the chunk or reports -1, the five short names always come back 10 long, and what
// was read saves and reads back alike (port names whole).
#include <cstdint>
#include <cstdlib>

#include "editor/PatchManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteChunk chunk;
  chunk.PutBytes(data, int(size));
  PatchManager manager(nullptr);
  const int end = manager.loadAllFromChunk(&chunk, 0);
  if (end < -1 || end > chunk.Size()) std::abort();
  for (int i = 0; i < 5; ++i)
    if (manager.names[size_t(i)].size() != 10) std::abort();
  if (end >= 0) {
    ByteChunk again;
    manager.saveAllToChunk(&again);
    PatchManager reread(nullptr);
    if (reread.loadAllFromChunk(&again, 0) != again.Size()) std::abort();
    for (size_t i = 0; i < manager.names.size(); ++i)
      if (reread.names[i] != manager.names[i]) std::abort();
  }
  return 0;
}

#include "editor/PatchManager.h"

#include <algorithm>
#include <cstring>

#include "Kit_ByteOrder.h"

#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "librarian/TavroParams.h"

namespace {

constexpr int kShortNameLength = 10;  // performance and part names
// Port names are kept whole; this only bounds what one save may write for each.
constexpr int kPortNameLength = 4096;

bool Holds(const ByteChunk* chunk, int64_t pos, int64_t size) {
  return pos >= 0 && size >= 0 && pos + size <= chunk->Size();
}

int MaxLengthOf(int name) { return name < 5 ? kShortNameLength : kPortNameLength; }

// The string at pos (empty when it cannot be read whole); the position after it or -1.
int ReadString(const ByteChunk* chunk, int pos, std::string* text) {
  text->clear();
  int32_t length = 0;
  if (pos < 0 || !Holds(chunk, pos, 4)) return -1;
  chunk->GetInt32(&length, pos);
  pos += 4;
  if (length <= 0) return pos;
  if (!Holds(chunk, pos, length)) return -1;
  const char* start = reinterpret_cast<const char*>(chunk->GetBytes()) + pos;
  *text = std::string(start, strnlen(start, size_t(length)));
  return pos + length;
}

double ValueOf(IModuleBase* plug, int paramIdx) {
  const IParam* param = plug->GetParam(paramIdx);
  return param ? param->Value() : 0.0;
}

}  // namespace

Patch::Patch() : names(kNameCount, "-- INIT --") {}

void PatchManager::init() {
  snapshot.Clear();
  writeShortForm(plug_, &snapshot);
}

void PatchManager::writeShortForm(IModuleBase* plug, ByteChunk* chunk) {
  chunk->PutInt32(kShortFormTag);
  chunk->PutDouble(ValueOf(plug, kQuickTab));
  chunk->PutDouble(ValueOf(plug, kNordModel));
  for (int i = 0; i <= kLastSnapshotParam; ++i) chunk->PutDouble(ValueOf(plug, i));
}

bool PatchManager::putStringToChunk(ByteChunk* chunk, const std::string& text, int maxLength) {
  const int length = int(std::min(strnlen(text.c_str(), text.size()), size_t(std::max(maxLength, 0))));
  const int before = chunk->Size();
  chunk->PutInt32(length);
  chunk->PutBytes(text.data(), length);
  return chunk->Size() == before + 4 + length;
}

int PatchManager::blockEnd(const ByteChunk* chunk, int startPos) {
  if (startPos < 0 || !Holds(chunk, startPos, 12)) return -1;
  const int64_t snapshotLength = int32_t(Kit_LoadBigEndian32(chunk->GetBytes() + startPos + 8));
  int64_t pos = int64_t(startPos) + 12 + snapshotLength;
  if (snapshotLength < 0 || !Holds(chunk, pos, 0)) return -1;
  for (int i = 0; i < kNameCount; ++i) {
    int32_t length = 0;
    if (!Holds(chunk, pos, 4)) return -1;
    chunk->GetInt32(&length, int(pos));
    pos += 4 + int64_t(length);
    if (length < 0 || !Holds(chunk, pos, 0)) return -1;
  }
  return int(pos);
}

bool PatchManager::saveAllToChunk(ByteChunk* chunk) const {
  ByteChunk block(4096);
  block.PutInt32(kShortFormTag);
  block.PutInt32(kShortFormTag);
  unsigned char length[4];
  Kit_StoreBigEndian32(uint32_t(snapshot.Size()), length);
  block.PutBytes(length, 4);
  block.PutBytes(snapshot.GetBytes(), snapshot.Size());
  bool whole = block.Size() == 12 + snapshot.Size();
  for (int i = 0; i < kNameCount; ++i) whole = putStringToChunk(&block, names[size_t(i)], MaxLengthOf(i)) && whole;
  // A short block is not appended: a state without it is refused on recall as a whole.
  if (!whole) return false;
  const int before = chunk->Size();
  chunk->PutChunk(&block);
  return chunk->Size() == before + block.Size();
}

int PatchManager::loadAllFromChunk(const ByteChunk* chunk, int startPos) {
  int pos = -1;
  int64_t length = 0;
  if (startPos >= 0 && Holds(chunk, startPos, 12)) {
    length = Kit_LoadBigEndian32(chunk->GetBytes() + startPos + 8);
    pos = Holds(chunk, int64_t(startPos) + 12, length) ? startPos + 12 + int(length) : -1;
  }
  snapshot.Clear();
  if (pos >= 0) snapshot.PutBytes(chunk->GetBytes() + startPos + 12, int(length));
  for (int i = 0; i < kNameCount; ++i) {
    std::string& name = names[size_t(i)];
    pos = ReadString(chunk, pos, &name);
    if (i < 5) name.resize(kShortNameLength, '\0');
  }
  return pos;
}

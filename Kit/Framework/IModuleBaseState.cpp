// The plug-in base's parameter chunks: plain values as little-endian doubles.

#include <algorithm>
#include <cmath>

#include "Framework/IModuleBase.h"

int IModuleBase::UnserializeParamValue(const ByteChunk* chunk, int pos, IParam* param) {
  double value = 0.0;
  pos = chunk->GetDouble(&value, pos);
  param->SetClamped(pos < 0 ? 0.0 : value);
  return pos;
}

bool IModuleBase::SerializeParams(ByteChunk* chunk) {
  Kit_MutexLock lock(mMutex);
  const int64_t expected = int64_t(chunk->Size()) + 8 * int64_t(NAutomatedParams());
  for (int i = 0, n = NAutomatedParams(); i < n; ++i) chunk->PutDouble(GetParam(i)->Value());
  // A chunk that could not grow must not pass for a saved state.
  return chunk->Size() == expected;
}

int IModuleBase::UnserializeParams(ByteChunk* chunk, int startPos) {
  Kit_MutexLock lock(mMutex);
  int pos = startPos;
  for (int i = 0, n = NAutomatedParams(); i < n && pos >= 0; ++i) {
    pos = UnserializeParamValue(chunk, pos, GetParam(i));
  }
  return pos;
}

bool IModuleBase::SerializeNonAutomatedParams(ByteChunk* chunk, int n) {
  Kit_MutexLock lock(mMutex);
  const int first = NAutomatedParams();
  // Never past the last parameter, whatever n says.
  const int count = std::min(n, mNonAutomatedCount);
  const int64_t expected = int64_t(chunk->Size()) + 8 * int64_t(std::max(count, 0));
  for (int i = 0; i < count; ++i) chunk->PutDouble(GetParam(first + i)->Value());
  return chunk->Size() == expected;
}

int IModuleBase::UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n) {
  Kit_MutexLock lock(mMutex);
  const int first = NAutomatedParams();
  const int count = std::min(n, mNonAutomatedCount);
  int pos = startPos;
  for (int i = 0; i < count && pos >= 0; ++i) {
    pos = UnserializeParamValue(chunk, pos, GetParam(first + i));
  }
  return pos;
}

bool IModuleBase::CompareState(const unsigned char* incomingState, int startPos) {
  const int n = NAutomatedParams();
  if (n == 0) return true;
  if (!incomingState || startPos < 0) return false;
  bool isEqual = true;
  for (int i = 0; i < n; ++i) {
    const double incoming = ByteChunk::DoubleFromBytes(incomingState + (size_t(startPos) + size_t(i)) * 8);
    const float difference = float(GetParam(i)->Value()) - float(incoming);
    isEqual &= std::fabs(difference) < 0.00001f;
  }
  return isEqual;
}

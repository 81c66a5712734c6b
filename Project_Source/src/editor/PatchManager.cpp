#include "PatchManager.h"

#include "IModuleBase.h"
#include "IParam.h"
#include "TavroParams.h"

namespace {

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

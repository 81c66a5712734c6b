#include "AUTestPlug.h"

namespace {

constexpr int kVendorVersion = 0x20200;
constexpr int kUniqueID = int(FourCC("tvrq"));
constexpr int kMfrID = int(FourCC("Orv1"));

AUTestPlug::PanelMaker gPanelMaker = nullptr;

}  // namespace

void AUTestPlug::SetPanelMaker(PanelMaker maker) { gPanelMaker = maker; }

AUTestPlug::AUTestPlug(const IModuleInstanceInfo& info)
    : IModuleAU(info, kNumParams, "2-2", 0, "Tavro Editor", "Tavro Editor", "Orvane", kVendorVersion, kUniqueID, kMfrID,
                128, true, true, true) {
  initialize(info, kNumParams - kNumNonAutomated, kNumParams, "2-2", 0, "Tavro Editor", "Tavro Editor", "Orvane",
             kVendorVersion, kUniqueID, kMfrID, 128, true, true, true, 0);
  GetParam(kGain)->InitDouble("Gain", 50.0, 0.0, 100.0, 0.5, "%", "Level");
  GetParam(kMode)->InitEnum("Mode", 0, 3, "", "Level");
  GetParam(kMode)->SetDisplayText(0, "Single");
  GetParam(kMode)->SetDisplayText(1, "Multi");
  GetParam(kMode)->SetDisplayText(2, "Split");
  GetParam(kEnabled)->InitBool("Enabled", true);
  GetParam(kChannel)->InitInt("MIDI Channel", 1, 1, 16, "", "MIDI");
  GetParam(kHostTempo)->InitDouble("Host Tempo", 0.0, 0.0, 1000.0, 0.001, "BPM");
  GetParam(kMidiCount)->InitInt("Host MIDI Messages", 0, 0, 1 << 30);
  if (gPanelMaker) gPanelMaker(this);
}

void AUTestPlug::Reset() {
  Kit_MutexLock lock(GetMutex());
  mResets.fetch_add(1);
}

void AUTestPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  ITimeInfo time;
  GetTime(&time);
  GetParam(kHostTempo)->Set(time.mTempo);
  mRenderTicks.fetch_add(1);
  // No sound: the render call is only a clock.
  for (int c = 0; c < NOutChannels(); ++c)
    if (outputs[c])
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = 0.0;
}

void AUTestPlug::ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) {
  if (!fromHardware) GetParam(kMidiCount)->Set(GetParam(kMidiCount)->Value() + 1);
}

void AUTestPlug::ProcessSysEx(ISysEx* sysex, bool fromHardware) {
  if (fromHardware) return;
  mLastSysExSize = sysex->mSize;
  GetParam(kMidiCount)->Set(GetParam(kMidiCount)->Value() + 1);
}

bool AUTestPlug::SerializeState(ByteChunk* chunk) {
  Kit_MutexLock lock(GetMutex());
  chunk->PutInt32(kChunkMagic);
  SerializeParams(chunk);
  SerializeNonAutomatedParams(chunk, kNumNonAutomated);
  chunk->PutInt32(mLastSysExSize);
  return true;
}

int AUTestPlug::UnserializeState(ByteChunk* chunk, int startPos) {
  Kit_MutexLock lock(GetMutex());
  int32_t magic = 0;
  int pos = chunk->GetInt32(&magic, startPos);
  if (pos < 0 || magic != kChunkMagic) return 0;
  const int64_t rest = 8 * int64_t(NAutomatedParams() + kNumNonAutomated) + 4;
  if (!chunk->Holds(pos, rest)) return -1;
  pos = UnserializeParams(chunk, pos);
  pos = UnserializeNonAutomatedParams(chunk, pos, kNumNonAutomated);
  int32_t sysexSize = 0;
  if (pos >= 0) pos = chunk->GetInt32(&sysexSize, pos);
  if (pos >= 0) mLastSysExSize = sysexSize;
  return pos;
}

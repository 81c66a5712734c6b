#pragma once
// A small plug-in on the Audio Unit wrapper that stands in for the editor until
// it exists: the editor's identity, a few parameters (two of them never reported
// to the host) and a state chunk. Its render tick records the host's clock in
// read-only parameters so a host can see what the plug-in saw.

#include <atomic>

#include "Framework/IModuleAU.h"

class AUTestPlug : public IModuleAU {
public:
  enum EParam {
    kGain = 0,   // double 0..100 "%", group "Level"
    kMode,       // enum: "Single", "Multi", "Split"
    kEnabled,    // bool
    kChannel,    // int 1..16, group "MIDI"
    kHostTempo,  // non-automated: the tempo the last tick saw
    kMidiCount,  // non-automated: host MIDI messages received
    kNumParams
  };
  static constexpr int kNumNonAutomated = 2;
  static constexpr int32_t kChunkMagic = 0x54565354;  // "TSVT"

  explicit AUTestPlug(const IModuleInstanceInfo& info);

  void Reset() override;
  // threads: render
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override;
  void ProcessSysEx(ISysEx* sysex, bool fromHardware) override;
  // Magic, automated values, non-automated values, the last SysEx length.
  bool SerializeState(ByteChunk* chunk) override;
  // 0 when the magic differs, -1 when the chunk ends early; either changes nothing.
  int UnserializeState(ByteChunk* chunk, int startPos) override;

  // Makes the plug-in's panel; set by the bundle (TestPanel.cpp), so the tests
  // that link these objects directly keep a plug-in without a panel.
  using PanelMaker = void (*)(AUTestPlug* plug);
  static void SetPanelMaker(PanelMaker maker);

  // Counters a host or a test can read.
  int RenderTicks() const { return mRenderTicks.load(); }
  int ResetCount() const { return mResets.load(); }
  int LastSysExSize() const { return mLastSysExSize; }

private:
  std::atomic<int> mRenderTicks{0};
  std::atomic<int> mResets{0};
  int mLastSysExSize = 0;
};

#pragma once
// A plug-in on the bare base, for tests: the host-facing operations record what they
// were told, and the behaviour hooks record their calls.

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "Framework/IModuleBase.h"

constexpr int FourCharCode(const char (&code)[5]) {
  return int((uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
             (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3])));
}

class BaseTestPlug : public IModuleBase {
public:
  // nParams parameters of which nAutomated are reported to the host.
  BaseTestPlug(int nParams, int nAutomated, const char* channelIO = "2-2", int nPresets = 0,
               const char* name = "Tavro Editor", bool chunks = true)
      : IModuleBase(nParams, channelIO, nPresets, name, name, "Orvane", 0x20200, FourCharCode("tvrq"),
                    FourCharCode("Orv1"), 0, true, chunks, false, kAPIAU) {
    initialize(nAutomated, nParams, channelIO, nPresets, name, name, "Orvane", 0x20200, FourCharCode("tvrq"),
               FourCharCode("Orv1"), 0, true, chunks, false);
  }

  void Reset() override {
    IModuleBase::Reset();
    calls.push_back("Reset");
  }
  void OnParamChange(int paramIdx) override {
    IModuleBase::OnParamChange(paramIdx);
    calls.push_back("OnParamChange " + std::to_string(paramIdx));
  }
  void OnParamChange2(int paramIdx) override {
    IModuleBase::OnParamChange2(paramIdx);
    calls.push_back("OnParamChange2 " + std::to_string(paramIdx));
  }
  void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override { midiIn.push_back({*msg, fromHardware}); }
  void ProcessSysEx(ISysEx* sysex, bool fromHardware) override {
    sysexIn.push_back({std::vector<uint8_t>(sysex->mData, sysex->mData + sysex->mSize), fromHardware});
  }
  void PresetsChangedByHost() override { calls.push_back("PresetsChangedByHost"); }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override {
    informed.push_back({paramIdx, normalizedValue});
  }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return tempo; }
  void GetTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiVST(IMidiMsg*) override { return false; }
  bool SendMidiMsg(IMidiMsg* msg) override {
    sent.push_back(*msg);
    return msg->mStatus != 0;
  }

  std::vector<std::string> calls;
  std::vector<std::pair<int, double>> informed;
  std::vector<std::pair<IMidiMsg, bool>> midiIn;
  std::vector<std::pair<std::vector<uint8_t>, bool>> sysexIn;
  std::vector<IMidiMsg> sent;
  double tempo = 120.0;
};

// A panel that records what the base asks of it.
class RecordingPanel : public IModulePanel {
public:
  struct Call {
    int paramIdx;
    double value;
    bool normalized;
  };
  explicit RecordingPanel(std::atomic<int>* deletions = nullptr) : deletions_(deletions) {}
  ~RecordingPanel() override {
    if (deletions_) ++*deletions_;
  }
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
    calls.push_back({paramIdx, value, normalized});
  }
  void PrepDraw() override { prepDrawAfter = int(calls.size()); }

  std::vector<Call> calls;
  int prepDrawAfter = -1;

private:
  std::atomic<int>* deletions_;
};

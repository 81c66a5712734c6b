#pragma once
// An editor for the incoming-MIDI handlers: parameters 0..797 at 0..127, controls
// registered under the CC table's keys that record what they are given, and a record
// of what the handlers send, light, select and ask.

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "FakeMessagingEditor.h"
#include "Framework/IControl.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "Kit_Random.h"
#include "layout/tables/ParamNameTable.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MessagingEditor.h"

// A control that records the hardware values it is given, and what the manager's
// flags and the plug-in mutex were at that moment.
class RecordingControl : public IControl {
public:
  struct Given {
    double value;
    bool applyingHardwareValue;
    int fromHost;
    bool mutexHeld;
  };
  RecordingControl(int paramIdx, const MIDIMessageManager*& manager, const Kit_Mutex& mutex)
      : IControl(nullptr, IRECT(), paramIdx), manager_(manager), mutex_(mutex) {}
  bool Draw(IGraphics*) override { return false; }
  void SetValueFromHardware(double value) override {
    std::lock_guard<std::mutex> hold(lock_);
    given.push_back({value, manager_ && manager_->applyingHardwareValue, manager_ ? manager_->fromHost.load() : -1,
                     mutex_.HeldByCaller()});
  }
  std::vector<Given> Values() {
    std::lock_guard<std::mutex> hold(lock_);
    return given;
  }

private:
  std::vector<Given> given;
  const MIDIMessageManager*& manager_;
  const Kit_Mutex& mutex_;
  std::mutex lock_;
};

class FakeIncomingEditor : public FakeMessagingEditor {
public:
  static constexpr int kParams = 798;

  FakeIncomingEditor() : params_(kParams) {
    for (int i = 0; i < kParams; ++i) params_[size_t(i)].InitInt("p", 0, 0, 127);
    for (int s = 0; s < 4; ++s) params_[size_t(204 + s)].Set(s + 1);  // part channels 1-4
    params_[308].Set(15);                                             // the global channel
  }

  // A control for parameter `paramIdx` in range min..max under the CC keys.
  RecordingControl* bind(int channelKey, int cc, int legacy, int paramIdx, int min = 0, int max = 127) {
    if (max > min)
      params_[size_t(paramIdx)].InitInt("p", min, min, max);
    else
      params_[size_t(paramIdx)].InitDouble("p", min, min, max, 0.0);  // a range of none
    controls_.push_back(std::make_unique<RecordingControl>(paramIdx, manager, mutex));
    cc_[{channelKey, cc, legacy}] = controls_.back().get();
    return controls_.back().get();
  }
  void set(int paramIdx, double value) { params_[size_t(paramIdx)].Set(value); }
  double value(int paramIdx) const { return params_[size_t(paramIdx)].Value(); }

  // ---- MessagingEditor ----
  bool isMidiIOSet() const override { return midiIOSet; }
  void DisplayProcessingIndicator(bool) override {}
  bool checksumCheckAndSend(const unsigned char*, int) override { return midiIOSet; }
  void AllSoundsOff(int, bool) override {}
  void showStatus(const std::string& text) override { record("status " + text); }
  IParam* editorParam(int paramIdx) const override {
    return paramIdx >= 0 && paramIdx < kParams ? const_cast<IParam*>(&params_[size_t(paramIdx)]) : nullptr;
  }
  int editorParamIndex(const char* name) const override {
    for (int i = 0; i < kParamNameTableSize; ++i)
      if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
    return -1;
  }
  IControl* getCCControls(int channelKey, int cc, int modelGroup) const override {
    auto found = cc_.find({channelKey, cc, modelGroup});
    return found == cc_.end() ? nullptr : found->second;
  }
  IControl* getSysexControl(int, int, int, int, int) const override { return nullptr; }
  void showValueFromPlug(int paramIdx, double value) override { params_[size_t(paramIdx)].Set(value); }
  void runParamChange(int paramIdx) override { record("change " + std::to_string(paramIdx)); }
  void showUnitChoice(int slot, bool performance, int bank, int program) override {
    record("choice " + std::to_string(slot) + (performance ? " performance" : " program") + " bank " +
           std::to_string(bank) + " number " + std::to_string(program));
  }
  bool midiClassBlocked(bool fromDevice, int filterClass) const override {
    return (fromDevice ? deviceBlocked : hostBlocked)[size_t(filterClass)];
  }
  void lightIncomingMidi(int slot) override { record("light " + std::to_string(slot)); }
  void routeMidiToSynth(IMidiMsg* msg) override { record("forward " + Bytes(*msg)); }
  void sendMidiToSynthNow(IMidiMsg* msg) override { record("send " + Bytes(*msg)); }
  int synthModel() const override { return model; }
  void setLocalControl(bool on) override { localControl = on; }
  bool isLocalControlOn() const override { return localControl; }
  bool isLibrarianPerformanceMode() const override { return performances; }
  void selectLibrarianRow(int pane, int row) override {
    if (pane == 0) record("select " + std::to_string(row));
  }
  void sendLibrarianRowToSynth(int row) override { record("librarian send " + std::to_string(row)); }

  std::vector<std::string> events() {
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
  }
  void clearEvents() {
    std::lock_guard<std::mutex> hold(lock_);
    events_.clear();
  }

  static std::string Bytes(const IMidiMsg& msg) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", msg.mStatus, msg.mData1, msg.mData2);
    return text;
  }

  bool midiIOSet = true;
  int model = 1;
  bool performances = false;
  bool localControl = false;
  std::array<bool, 7> deviceBlocked{}, hostBlocked{};
  const MIDIMessageManager* manager = nullptr;

private:
  void record(const std::string& event) {
    std::lock_guard<std::mutex> hold(lock_);
    events_.push_back(event);
  }
  std::vector<IParam> params_;
  std::vector<std::unique_ptr<RecordingControl>> controls_;
  std::map<std::tuple<int, int, int>, RecordingControl*> cc_;
  std::mutex lock_;
  std::vector<std::string> events_;
};

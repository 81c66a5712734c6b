#pragma once
// Records what the hardware input hands to the plug-in.

#include <mutex>
#include <string>
#include <vector>

#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"

// The synthesizer's ports as the system lists them.
const std::string kSynthOut = "Vudidi Nord:MIDI Out";
const std::string kSynthIn = "Vudidi Nord:MIDI In";

class MidiPortsTestSink : public IMidiPortsSink {
public:
  void MidiFromDevice(IMidiMsg* msg) override {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.push_back(*msg);
  }
  void SysExFromDevice(ISysEx* sysex) override {
    std::lock_guard<std::mutex> hold(lock_);
    sysex_.emplace_back(sysex->mData, sysex->mData + sysex->mSize);
    sysexOffsets_.push_back(sysex->mOffset);
  }
  std::vector<IMidiMsg> Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
  }
  std::vector<std::vector<unsigned char>> SysEx() {
    std::lock_guard<std::mutex> hold(lock_);
    return sysex_;
  }
  std::vector<int> SysExOffsets() {
    std::lock_guard<std::mutex> hold(lock_);
    return sysexOffsets_;
  }

private:
  std::mutex lock_;
  std::vector<IMidiMsg> messages_;
  std::vector<std::vector<unsigned char>> sysex_;
  std::vector<int> sysexOffsets_;
};

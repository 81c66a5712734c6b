#pragma once
// The system's MIDI ports through RtMidi.
//
// Input: RtMidi on the ALSA sequencer, or on JACK, where RtMidi calls back in
// JACK's process thread; there the messages pass through MidiPortJackQueue to an
// ordinary thread. Output: RtMidi on ALSA; on JACK our own MidiPortJackOutput.

#include <rtmidi/RtMidi.h>

#include <atomic>
#include <memory>
#include <string>

#include "MidiPortJackQueue.h"
#include "MidiPortTransport.h"

class MidiPortRtMidiInput : public MidiInputTransport {
public:
  // Null (error printed) when `api` cannot be opened.
  static std::unique_ptr<MidiPortRtMidiInput> Create(RtMidi::Api api, const std::string& clientName,
                                                     unsigned queueSizeLimit);
  ~MidiPortRtMidiInput() override;

  unsigned PortCount() override;
  bool PortName(unsigned port, std::string& name) override;
  bool OpenPort(unsigned port, const std::string& portName) override;
  bool OpenVirtualPort(const std::string& portName) override;
  void ClosePort() override;
  bool IsPortOpen() override;
  bool SetCallback(MidiInputCallback callback, void* userData) override;
  // threads: main, closer
  void StopDelivery() override { delivering_.store(false); }

private:
  explicit MidiPortRtMidiInput(std::unique_ptr<RtMidiIn> in);
  // threads: midi-in (ALSA) or jack-process (JACK)
  static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);
  // threads: midi-in
  void Deliver(double deltaTime, std::vector<unsigned char>* message);

  std::unique_ptr<RtMidiIn> in_;
  std::unique_ptr<MidiPortJackQueue> jackQueue_;
  std::atomic<bool> delivering_{true};
  std::atomic<MidiInputCallback> callback_{nullptr};
  std::atomic<void*> userData_{nullptr};
};

class MidiPortRtMidiOutput : public MidiOutputTransport {
public:
  static std::unique_ptr<MidiPortRtMidiOutput> Create(RtMidi::Api api, const std::string& clientName);

  unsigned PortCount() override;
  bool PortName(unsigned port, std::string& name) override;
  bool OpenPort(unsigned port, const std::string& portName) override;
  bool OpenVirtualPort(const std::string& portName) override;
  void ClosePort() override;
  bool IsPortOpen() override;
  bool SendMessage(const std::vector<unsigned char>& bytes) override;

private:
  explicit MidiPortRtMidiOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
  std::unique_ptr<RtMidiOut> out_;
};

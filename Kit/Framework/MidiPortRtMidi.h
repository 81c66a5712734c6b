#pragma once
// The system's MIDI ports: RtMidi on the ALSA sequencer; when ALSA cannot be
// opened, JACK through our own MidiPortJackInput and MidiPortJackOutput (RtMidi's
// JACK side loses messages on output and may crash when an input port closes).

#include <rtmidi/RtMidi.h>

#include <atomic>
#include <memory>
#include <string>

#include "MidiPortTransport.h"

class MidiPortRtMidiInput : public MidiInputTransport {
public:
  // On the ALSA sequencer; null (error printed) when it cannot be opened.
  static std::unique_ptr<MidiPortRtMidiInput> Create(const std::string& clientName, unsigned queueSizeLimit);
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
  // threads: midi-in
  static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);

  std::unique_ptr<RtMidiIn> in_;
  std::atomic<bool> delivering_{true};
  std::atomic<MidiInputCallback> callback_{nullptr};
  std::atomic<void*> userData_{nullptr};
};

class MidiPortRtMidiOutput : public MidiOutputTransport {
public:
  // On the ALSA sequencer; null (error printed) when it cannot be opened.
  static std::unique_ptr<MidiPortRtMidiOutput> Create(const std::string& clientName);

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

#pragma once
// MIDI ports on the ALSA sequencer through RtMidi. JACK goes through our own
// MidiPortJackInput and MidiPortJackOutput instead: RtMidi's JACK side loses
// messages on output and may crash when an input port closes.

#include <rtmidi/RtMidi.h>

#include <memory>
#include <string>

#include "MidiTransport/MidiPortDelivery.h"
#include "MidiTransport/MidiPortEndpointOn.h"
#include "MidiTransport/MidiPortTransport.h"

// The port operations of one RtMidi object, input or output; its errors are
// printed and reported by the results, never thrown.
class MidiPortRtMidiPorts {
public:
  explicit MidiPortRtMidiPorts(RtMidi& midi) : midi_(midi) {}

  unsigned PortCount();
  bool PortName(unsigned port, std::string& name);
  bool OpenPort(unsigned port, const std::string& portName);
  bool OpenVirtualPort(const std::string& portName);
  void ClosePort();
  bool IsPortOpen() const { return midi_.isPortOpen(); }

private:
  RtMidi& midi_;
};

class MidiPortRtMidiInput : public MidiPortEndpointOn<MidiInputTransport, MidiPortRtMidiPorts> {
public:
  // On the ALSA sequencer; null (error printed) when it cannot be opened.
  static std::unique_ptr<MidiPortRtMidiInput> Create(const std::string& clientName, unsigned queueSizeLimit);
  ~MidiPortRtMidiInput() override;

  bool SetCallback(MidiInputCallback callback, void* userData) override;
  // threads: main, closer
  void StopDelivery() override { delivery_.Stop(); }

private:
  explicit MidiPortRtMidiInput(std::unique_ptr<RtMidiIn> in);
  MidiPortRtMidiPorts& PortAccess() override { return ports_; }
  // threads: midi-in
  static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);

  std::unique_ptr<RtMidiIn> in_;
  MidiPortRtMidiPorts ports_;
  MidiPortDelivery delivery_;
};

class MidiPortRtMidiOutput : public MidiPortEndpointOn<MidiOutputTransport, MidiPortRtMidiPorts> {
public:
  // On the ALSA sequencer; null (error printed) when it cannot be opened.
  static std::unique_ptr<MidiPortRtMidiOutput> Create(const std::string& clientName);

  bool SendMessage(const std::vector<unsigned char>& bytes) override;

private:
  explicit MidiPortRtMidiOutput(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)), ports_(*out_) {}
  MidiPortRtMidiPorts& PortAccess() override { return ports_; }

  std::unique_ptr<RtMidiOut> out_;
  MidiPortRtMidiPorts ports_;
};

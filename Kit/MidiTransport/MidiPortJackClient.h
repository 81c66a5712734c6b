#pragma once
// One JACK client with at most one MIDI port, for our JACK input and output.
//
// The port is never unregistered while process cycles run: closing stops them
// around it. (RtMidi's JACK input closes under running cycles and crashes now and
// then when its port closes.)

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

class MidiPortJackClient {
public:
  enum class Direction { kInput, kOutput };
  // Called once per JACK cycle with the open port's buffer, or null when no port
  // is open. Must never block.
  // threads: jack-process
  using Process = void (*)(void* portBuffer, jack_nframes_t frames, void* context);

  // Null (reason printed) when no JACK server answers; none is ever started.
  static std::unique_ptr<MidiPortJackClient> Open(const std::string& clientName, Direction direction,
                                                  Process process, void* context);
  // No process call runs after this returns.
  ~MidiPortJackClient();

  MidiPortJackClient(const MidiPortJackClient&) = delete;
  MidiPortJackClient& operator=(const MidiPortJackClient&) = delete;

  // The other side's MIDI ports: outputs for our input, inputs for our output.
  unsigned PortCount();
  bool PortName(unsigned port, std::string& name);
  // Registers our port `portName` and connects it to the other side's `port`.
  bool OpenPort(unsigned port, const std::string& portName);
  bool OpenVirtualPort(const std::string& portName);
  // Waits for the running cycle to end.
  void ClosePort();
  bool IsPortOpen() const { return port_.load() != nullptr; }

private:
  MidiPortJackClient(jack_client_t* client, Direction direction, Process process, void* context);
  static int OnProcess(jack_nframes_t frames, void* self);

  jack_client_t* client_;
  Direction direction_;
  Process process_;
  void* context_;
  std::atomic<jack_port_t*> port_{nullptr};
  bool active_ = false;  // only the thread opening and closing touches it
};

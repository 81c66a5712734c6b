#pragma once
// MIDI input on a JACK client of our own. JACK's process thread only copies each
// message into a MidiPortJackQueue; an ordinary thread hands them on in order.

#include <atomic>
#include <memory>
#include <string>

#include "MidiPortJackClient.h"
#include "MidiPortJackQueue.h"
#include "MidiPortTransport.h"

class MidiPortJackInput : public MidiInputTransport {
public:
  // Null when no JACK server answers (none is ever started for us).
  static std::unique_ptr<MidiPortJackInput> Connect(const std::string& clientName);
  ~MidiPortJackInput() override;

  unsigned PortCount() override { return client_->PortCount(); }
  bool PortName(unsigned port, std::string& name) override { return client_->PortName(port, name); }
  bool OpenPort(unsigned port, const std::string& portName) override { return client_->OpenPort(port, portName); }
  bool OpenVirtualPort(const std::string& portName) override { return client_->OpenVirtualPort(portName); }
  void ClosePort() override { client_->ClosePort(); }
  bool IsPortOpen() override { return client_->IsPortOpen(); }
  bool SetCallback(MidiInputCallback callback, void* userData) override;
  // threads: main, closer
  void StopDelivery() override { delivering_.store(false); }

private:
  MidiPortJackInput();
  // threads: jack-process
  static void ReadArrived(void* portBuffer, jack_nframes_t frames, void* self);
  // threads: midi-in
  void Deliver(std::vector<unsigned char>* message);

  std::atomic<bool> delivering_{true};
  std::atomic<MidiInputCallback> callback_{nullptr};
  std::atomic<void*> userData_{nullptr};
  MidiPortJackQueue queue_;
  std::unique_ptr<MidiPortJackClient> client_;
};

#pragma once
// An in-process MIDI system for tests.
//
// It offers named system ports: "readable" ones (a device's MIDI out, which our
// input opens) and "writable" ones (a device's MIDI in, which our output opens).
// Test code feeds readable ports with Deliver and reads what reached writable
// ports with Sent. Virtual ports opened through its transports become system
// ports named "<client>:<port>", so an in-process device (the synthesizer
// simulator) plugs in the same way it does on JACK.
//
// Delivery is synchronous on the calling thread. Destroying an input waits for a
// delivery in flight on another thread, as the system transports join their input
// threads. The object must outlive nothing: transports keep the shared state alive.
// threads: any (one internal lock, never held while a callback runs)

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MidiTransport/MidiPortTransport.h"

class MidiPortFake : public MidiTransportFactory {
public:
  using Message = std::vector<unsigned char>;

  MidiPortFake();
  ~MidiPortFake() override;

  std::unique_ptr<MidiInputTransport> CreateInput(const std::string& clientName, unsigned queueSizeLimit) override;
  std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string& clientName) override;

  // System ports, listed in the order added.
  void AddReadablePort(const std::string& name);
  void AddWritablePort(const std::string& name);
  // Unplugs a port of either kind; what was open on it closes.
  void RemovePort(const std::string& name);
  // A patchbay cuts the connections of our outputs open on writable port `name` and
  // makes them again: each output counts one return (PortReturns).
  void Reconnect(const std::string& name);
  // The same, counted only as the next send to `name` goes: that send found the
  // connection back before any notice told of it.
  void ReconnectFoundBySend(const std::string& name);

  // Writable port `name` takes at most `room` messages not yet on their way, and
  // sends `perMilli` of them on their way each millisecond of the time source (a
  // JACK output's queue and its periods); a send finding no room is refused.
  void LimitRoom(const std::string& name, size_t room, size_t perMilli);

  // Faults: no MIDI system at all; opening `name` fails; its name cannot be read.
  void SetUnavailable(bool unavailable);
  void SetOpenFails(const std::string& name, bool fails);
  void SetNameFails(const std::string& name, bool fails);

  // Hands `message` to every input open on readable port `name`; returns how many.
  size_t Deliver(const std::string& name, const Message& message);
  // Everything sent to writable port `name`, in order.
  std::vector<Message> Sent(const std::string& name) const;
  // How many of our inputs / outputs are open on port `name` now.
  size_t InputsOpenOn(const std::string& name) const;
  size_t OutputsOpenOn(const std::string& name) const;
  // How many times a port was opened on `name` since the start.
  size_t OpenCount(const std::string& name) const;
  // How many inputs are being destroyed and wait for a delivery in flight now.
  size_t ClosesWaiting() const;

  struct Hub;

private:
  std::shared_ptr<Hub> hub_;
};

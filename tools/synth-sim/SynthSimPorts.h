#pragma once
// The simulated synthesizer plugged into a MIDI system through ports of its own:
// a MIDI in that the editor's output opens and a MIDI out that its input opens.
// On JACK (or the in-process fake) they are "<name>-in:midi" and "<name>-out:midi".

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "MidiTransport/MidiPortTransport.h"
#include "SynthSim.h"

class SynthSimPorts {
public:
  // `transports` and `scheduler` must outlive this object.
  SynthSimPorts(MidiTransportFactory& transports, SynthSimScheduler& scheduler, SynthSimSettings settings,
                std::string name = "Nord Sim");
  ~SynthSimPorts();

  // Opens both ports; false (nothing left open) when the MIDI system refuses.
  bool Open();
  std::string MidiInName() const { return name_ + "-in:midi"; }
  std::string MidiOutName() const { return name_ + "-out:midi"; }
  SynthSim& Sim() { return sim_; }
  // Writes each message that arrives as one line of hex bytes ("B0 4A 40") to `file`
  // (not owned; null stops), flushed at once. Call before Open.
  void RecordTo(std::FILE* file) { record_ = file; }

private:
  // Where replies leave. Shared with the replies still scheduled, so one that
  // falls due after this object is gone finds the port closed instead of freed
  // memory.
  struct Outlet {
    std::mutex lock;  // the output transport is not safe for concurrent sends
    std::unique_ptr<MidiOutputTransport> out;
    // threads: scheduler
    void Send(const SynthSim::Message& reply);
  };

  // threads: midi-in
  static void OnMessage(double deltaTime, std::vector<unsigned char>* message, void* self);

  MidiTransportFactory& transports_;
  std::string name_;
  std::shared_ptr<Outlet> outlet_;
  SynthSim sim_;
  std::unique_ptr<MidiInputTransport> in_;
  std::FILE* record_ = nullptr;  // written on midi-in only
};

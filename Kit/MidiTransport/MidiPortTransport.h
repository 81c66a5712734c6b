#pragma once
// The small seam between the plug-in's MIDI ports and the MIDI system.
//
// One input object and one output object, each able to list the system's ports,
// open one of them (or a virtual port of its own) and close it again. The system
// transports are the ALSA sequencer through RtMidi and, when ALSA cannot be
// opened, JACK (MidiPortSystem.h); tests use an in-process fake.
//
// Errors never escape as exceptions: they are printed and reported by the results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Called once per complete incoming message, on midi-in, which is always an
// ordinary thread that may block (never jack-process).
// The message vector is valid only for the call.
using MidiInputCallback = void (*)(double deltaTime, std::vector<unsigned char>* message, void* userData);

// What is said, on the log and the panel, when the MIDI system went away; only JACK's
// server does.
constexpr const char* kMidiSystemGoneText = "MIDI: the JACK server has gone";
// Said instead when the server runs on but dropped one client of ours (it took the
// client for dead): followed by the client's name in quotes.
constexpr const char* kMidiClientDroppedText = "MIDI: JACK dropped the client";

class MidiPortEndpoint {
public:
  virtual ~MidiPortEndpoint() = default;
  // Ports the system offers now; 0 after an error.
  virtual unsigned PortCount() = 0;
  // Name of `port` into `name`; false (name empty) after an error.
  virtual bool PortName(unsigned port, std::string& name) = 0;
  // A system that tells of ports coming and going may answer the two above from what
  // it last read, until it is told of a change; the notice can come a moment after
  // a port appeared. This makes the next PortCount ask the system itself.
  virtual void ListPortsAnew() {}
  // Opens system port `port` under our own port name `portName`; false after an
  // error, the port then stays closed. An open port is closed first.
  virtual bool OpenPort(unsigned port, const std::string& portName) = 0;
  // Opens a port of our own that other programs connect to; false after an error.
  virtual bool OpenVirtualPort(const std::string& portName) = 0;
  // Closes the port if open. For an input this may wait for midi-in.
  virtual void ClosePort() = 0;
  virtual bool IsPortOpen() = 0;
  // True once the MIDI system behind this object has gone away (the JACK server
  // stopped, or dropped this object's client): its port is closed, it opens nothing
  // more, and a new object must be made to reach the system again.
  virtual bool SystemGone() { return false; }
  // What the panel and the log say once SystemGone is true.
  virtual std::string SystemGoneText() { return kMidiSystemGoneText; }
};

class MidiInputTransport : public MidiPortEndpoint {
public:
  // Where complete messages go, SysEx included; a transport may drop timing and
  // active sensing (the plug-in's ports drop them anyway). False after an error.
  virtual bool SetCallback(MidiInputCallback callback, void* userData) = 0;
  // Stops delivery at once without waiting for anything: no callback starts
  // after this returns (one already running may finish).
  // threads: main, closer
  virtual void StopDelivery() = 0;
};

class MidiOutputTransport : public MidiPortEndpoint {
public:
  // Hands one whole message to the system without waiting for it to go out;
  // false when no port is open or the system refused it (a full queue).
  // A message accepted may still be lost later (JACK did not take it: its port
  // closed or its server went first): it is then counted in LostMessages and
  // printed, never dropped silently.
  // Not safe to call concurrently: IMidiPorts serialises every call.
  // threads: any (one at a time)
  virtual bool SendMessage(const std::vector<unsigned char>& bytes) = 0;
  // Whether SendMessage would take a message of `length` bytes now, as far as its own
  // queue goes (a transport that hands messages over whole always has room). A queue
  // that is full has room again once the system has taken what waits.
  // threads: any (one at a time, as SendMessage)
  virtual bool HasRoomFor(size_t /*length*/) { return true; }
  // The open port reaches another port now (a system that cannot tell: it is open).
  // threads: main (may ask the system and wait for its answer)
  virtual bool PortConnected() { return IsPortOpen(); }
  // How often the open port's connections dropped to none and came back from
  // outside (a patchbay), since this object was made; never falls. Whatever is
  // connected then may be another unit, or the same one restarted. 0 for a system
  // that cannot tell.
  // threads: any (never waits)
  virtual uint64_t PortReturns() { return 0; }
  // Messages SendMessage accepted that the system did not take afterwards, since
  // this object was made. Transports that hand a message over whole
  // or refuse it at once (ALSA) lose none.
  // threads: any
  virtual uint64_t LostMessages() { return 0; }
  // Of those, the ones that were not one-byte real-time messages (Clock, Start,
  // Stop): a send beside a running clock counts its own losses by these.
  // threads: any
  virtual uint64_t LostMessagesBesideRealTime() { return 0; }
  // True when every message accepted so far that was not a one-byte real-time message
  // has gone out or been counted lost: a running clock always has Clocks on the way.
  // threads: any
  virtual bool AllSettledBesideRealTime() { return AllSettled(); }
  // True when every message accepted so far has gone out or been counted lost.
  // threads: any
  virtual bool AllSettled() { return true; }
};

// Makes the input and output objects; null when the MIDI system cannot be reached.
class MidiTransportFactory {
public:
  virtual ~MidiTransportFactory() = default;
  virtual std::unique_ptr<MidiInputTransport> CreateInput(const std::string& clientName, unsigned queueSizeLimit) = 0;
  virtual std::unique_ptr<MidiOutputTransport> CreateOutput(const std::string& clientName) = 0;
  // Why the last Create gave nothing.
  virtual const char* Unavailable() { return "no MIDI system"; }
};

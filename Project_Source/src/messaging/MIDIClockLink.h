#pragma once
// What the MIDI clock needs of the plug-in: its MIDI output, the host tempo, the two
// clock switches, and a way to say that no tempo came. The plug-in implements it;
// tests record through it.

#include <cstdint>

constexpr uint8_t kMidiStart = 0xFA;
constexpr uint8_t kMidiClock = 0xF8;
constexpr uint8_t kMidiStop = 0xFC;

class MIDIClockLink {
public:
  virtual ~MIDIClockLink() = default;
  // Sends one real-time byte as a message of its own, straight to the synthesizer's
  // port. False when no MIDI output port is open, or the port did not take it
  // (nothing is connected to it for now).
  // threads: worker (clock), worker (clock-control)
  virtual bool SendRealTime(uint8_t byte) = 0;
  // The same for Start and Stop, refused unless the output still reaches `unit` (see
  // OutputUnit) as the byte is handed over: an edge meant for one unit never reaches
  // the next one. The send may find the connection back (a unit of its own): the edge
  // reached that unit, whose number `unit` becomes.
  // threads: worker (clock), worker (clock-control)
  virtual bool SendEdge(uint8_t byte, uint64_t& unit) { return OutputUnit() == unit && SendRealTime(byte); }
  // An output port is chosen (midiIOSet): the clock keeps its pace while the port
  // refuses Clocks, so they reach a unit connected to it again.
  // threads: worker (clock)
  virtual bool outputSet() = 0;
  // Which unit the output reaches: a new number whenever the output may reach another
  // unit than before (a different port chosen, the same one after its unit left, or
  // its connection come back from outside). The same port chosen again while its unit
  // stays keeps the number. Never waits.
  // threads: worker (clock), worker (clock-control), render
  virtual uint64_t OutputUnit() { return 0; }
  // The host tempo in whole beats per minute; 0 while the host has given none.
  // threads: worker (clock)
  virtual int getTempoValue() = 0;
  // kSendMIDIClockPointer: transport edges send Start and Stop.
  // threads: worker (clock-control), worker (clock), render
  virtual bool clockPointerOn() = 0;
  // kSendMIDIClockInfo: the clock loop runs. The one switch of the clock: a loop
  // finding it off ends before its next Clock.
  // threads: worker (clock)
  virtual bool clockInfoOn() = 0;
  // The clock gave up waiting for a tempo: switch the clock off, show `message` on the
  // second message line and set the clock switch back to 0 on the panel (without
  // running its handler).
  // threads: worker (clock)
  virtual void ClockTempoMissing(const char* message) = 0;
};

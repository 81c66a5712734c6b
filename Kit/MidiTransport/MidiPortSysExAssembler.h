#pragma once
// Joins SysEx messages that reach us in pieces. JACK carries MIDI as events, and
// a driver bridging hardware may cut a long SysEx over several of them; the
// plug-in wants each dump whole.

#include <cstddef>
#include <functional>
#include <vector>

class MidiPortSysExAssembler {
public:
  using Deliver = std::function<void(std::vector<unsigned char>* message)>;
  // A SysEx longer than this is dropped rather than kept growing.
  static constexpr size_t kLongestSysEx = 1 << 16;

  // One event as it came. Short messages go on at once, and so do real-time bytes
  // (0xF8 and above), which may come between the pieces of a SysEx; a SysEx goes
  // on once its closing 0xF7 has come. A SysEx cut short by another status byte
  // is dropped.
  // threads: midi-in (one)
  void Feed(std::vector<unsigned char>* event, const Deliver& deliver);
  // Events were lost here: an open SysEx lacks a piece and is dropped.
  // threads: midi-in (one)
  void Interrupt() { pending_.clear(); }

private:
  std::vector<unsigned char> pending_;  // an open SysEx, empty when none
};

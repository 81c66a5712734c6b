#pragma once
// The unit's published dump format, written out by hand: every value is one 8-bit
// number sent as two nybbles, low first. A program dump is a six-byte header, 66
// values (132 bytes) and F7; a performance dump the header, four such part blocks
// (slot A at 6, each 132 bytes after the one before), 90 values (180 bytes, from 534)
// and F7. The positions and bytes below come from that rule and the layout's tables,
// never from the editor's field table or the simulator's map, so they can tell either
// of those wrong.

#include <cstdint>
#include <vector>

struct HandValue {
  const char* param;  // the second-generation model's name
  int slot;           // a performance value's slot; 0 for single values and programs
  int value;          // the parameter value
  int position;       // the first byte: in a program dump, or in a performance dump
  std::vector<uint8_t> bytes;
};

// Program values at their program dump positions. In a performance, slot s's part
// block holds them at position + 132 x s.
inline const std::vector<HandValue>& HandProgramValues() {
  static const std::vector<HandValue> values = {
      {"kFilterCutoff", 0, 100, 12, {0x04, 0x06}},    // 100 = 0x64
      {"kFilterResonance", 0, 16, 14, {0x00, 0x01}},  // 16 = 0x10
      {"kLFO1Rate", 0, 255, 48, {0x0F, 0x0F}},
      // Velocity sensitivities: a signed number s sent as its two's complement, the
      // parameter holding s + 128.
      {"kVOsc2Semitones", 0, 0, 56, {0x00, 0x08}},   // s = -128: 0x80
      {"kVFilterCutoff", 0, 125, 62, {0x0D, 0x0F}},  // s = -3: 0xFD
      {"kVAmpGain", 0, 133, 90, {0x05, 0x00}},       // s = +5
      {"kVLFO2Amount", 0, 255, 104, {0x0F, 0x07}},   // s = +127: 0x7F
      {"kOsc1Waveform", 0, 2, 106, {0x02, 0x00}},
      // One value, 0x13: the sync and ring bits low (both on), distortion at bit 4.
      {"kOscSync", 0, 3, 110, {0x03}},
      {"kFilterDistortion", 0, 1, 111, {0x01}},
      {"kOctaveSwitch", 0, 4, 134, {0x04, 0x00}},
  };
  return values;
}

// Performance-block values at their performance dump positions.
inline const std::vector<HandValue>& HandPerformanceValues() {
  static const std::vector<HandValue> values = {
      {"kPartMidiChannel", 3, 16, 540, {0x0F, 0x00}},  // the channel - 1
      {"kPartMidiChannel", 1, 0, 536, {0x0F, 0x0F}},   // no channel
      {"kLFO1Sync", 0, 20, 542, {0x04, 0x01}},
      {"kLFO2Sync", 3, 17, 556, {0x01, 0x01}},
      {"kFilterEnvChannel", 0, 16, 566, {0x00, 0x01}},
      {"kFilterEnvNote", 0, 60, 574, {0x03, 0x05}},  // the note + 23 = 0x53
      {"kAmpEnvChannel", 1, 16, 592, {0x00, 0x01}},
      {"kExtVeloMorphCha", 2, 12, 618, {0x0C, 0x00}},
      {"kSystemPitchBendRange", 0, 24, 630, {0x08, 0x01}},
      {"kKeyboardOctave", 0, 64, 648, {0x00, 0x04}},
      {"kCurrentProgram", 2, 98, 666, {0x02, 0x06}},
      {"kAfterTouchRcv", 1, 100, 680, {0x04, 0x06}},
      {"kAftertouchDestination", 3, 5, 692, {0x05, 0x00}},
      {"kPedalDestination", 2, 3, 706, {0x03, 0x00}},
      {"kKeyboardSplitPoint", 0, 60, 712, {0x0C, 0x03}},
  };
  return values;
}

#pragma once
// The dump field table with its parameter names turned into indices, once, and each
// field's part in the parsers' special handling.
//
// threads: any (built once, then read only).

#include <memory>
#include <vector>

#include "messaging/DumpParameters.h"
#include "messaging/tables/DumpFieldTable.h"

// Fields the parsers treat beyond plain decoding.
enum class DumpFieldRole {
  kPlain,
  kOsc2Semitones,     // moves the octave light first
  kOsc2Waveform,      // 3 darkens the octave light
  kFilterDistortion,  // ignored on NL1
  kLFO1Waveform,      // four-step but on NL1
  kFourStep,          // LFO 1 destination, mod wheel destination
  kLFO2Destination,   // both parameters, and the hold light off NL1
  kChannel,           // kPartMidiChannel
  kActiveSlot,        // kQuickTab: 0..3 only
  kMasterTune,        // never sent
  kBank,              // kCurrentBank: sent off model 2
  kBank2x,            // kCurrentBank2x: sent on model 2
  kUngated,           // programs: set whatever the global lock
};

struct ResolvedPartField {
  int offset;
  int param;
  int nl1Param;  // -1 when the field has none
  int lock;      // -1 when the field is always taken
  DumpCoding coding;
  DumpFieldRole role;
};

struct ResolvedPerformanceField {
  int position;
  int param;  // slot included
  DumpCoding coding;
  DumpFieldRole role;
  // A parameter a parsed value also goes to, or -1: the ten-bank model's program
  // read-out shows the slot's program too, and is never sent in its own field.
  int mirror = -1;
};

struct DumpFieldIndices {
  std::vector<ResolvedPartField> part;
  std::vector<ResolvedPerformanceField> performance;
  int octaveLight = -1;  // kOscillator2OctaveLED, + slot
  int lfo2Hold = -1;
  int lfo2DestinationNL1 = -1;
  int patchName = -1;  // + slot
  int multiName = -1;
  int globalLock = -1;

  // Null when a name of the table has no index.
  static std::shared_ptr<const DumpFieldIndices> Resolve(const ParamIndexOf& indexOf);
};

// The value a field carries for a parameter value: truncated toward zero and held
// to the field (bytes 0..127, pairs 0..255, channels 0..16).
int FieldValueOf(DumpCoding coding, double value);
// The value the field's bytes carry, held to the field's range whatever the bytes.
int FieldValueAt(DumpCoding coding, const uint8_t* bytes);

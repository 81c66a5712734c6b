#include "SynthSimFields.h"

#include <cstring>

namespace SynthSimFields {
namespace {

// The program's paired values in dump order from 6; their velocity twins ("kV" +
// the name without its "k") follow in the same order from 56 as signed pairs.
const char* const kPairs[] = {
    "kOsc2Semitones",    "kOsc2Finetune",     "kOscillatorMix", "kFilterCutoff",    "kFilterResonance",
    "kFilterEnvAmnt",    "kPulseWidth",       "kOsc1FMAmount",  "kFilterEnvAttack", "kFilterEnvDecay",
    "kFilterEnvSustain", "kFilterEnvRelease", "kAmpEnvAttack",  "kAmpEnvDecay",     "kAmpEnvSustain",
    "kAmpEnvRelease",    "kPortamento",       "kAmpGain",       "kModEnvAttack",    "kModEnvDecay",
    "kModEnvAmount",     "kLFO1Rate",         "kLFO1Amount",    "kLFO2Rate",        "kLFO2Amount",
};

// Single bytes from 106; an empty name is a kept byte (kMDB1.. in order). A trailing
// '*' marks a field the first-generation model holds in its own "...NL1" parameter.
const char* const kBytes[] = {
    "kOsc1Waveform*",       "", "kOsc2Waveform",     "", "kOscSync*",           "kFilterDistortion",
    "kFilterType*",         "", "kOsc2KbdTrack",     "", "kFilterKbdTrack*",    "",
    "kLFO1Waveform*",       "", "kLFO1Destination*", "", "kOscillatorMode",     "",
    "kModWheelDestination", "", "kUnisonMode",       "", "kModEnvDestination*", "",
    "kAutoPortamento",      "", "kFilterVelocity",   "", "kOctaveSwitch",       "",
    "kLFO2Destination*",    "",
};

// The performance block: `count` slots two bytes apart. Each value is one 8-bit
// number in two nybbles, low first, as everywhere in the unit's dumps; only the two
// output modes take a byte each (the nybbles of one value).
struct Row {
  int position;
  const char* name;
  Coding coding;
  int count;
};
const Row kRows[] = {
    {534, "kPartMidiChannel", Coding::kChannelPair, 4},
    {542, "kLFO1Sync", Coding::kPair, 4},
    {550, "kLFO2Sync", Coding::kPair, 4},
    {558, "kFilterEnvTrigger", Coding::kPair, 4},
    {566, "kFilterEnvChannel", Coding::kPair, 4},
    {574, "kFilterEnvNote", Coding::kNotePair, 4},
    {582, "kAmpEnvTrigger", Coding::kPair, 4},
    {590, "kAmpEnvChannel", Coding::kPair, 4},
    {598, "kAmpEnvNote", Coding::kNotePair, 4},
    {606, "kExtVeloMorph", Coding::kPair, 4},
    {614, "kExtVeloMorphCha", Coding::kPair, 4},
    {622, "kExtVeloMorphNote", Coding::kNotePair, 4},
    {630, "kSystemPitchBendRange", Coding::kPair, 1},
    {632, "kSystemUnisonDetune", Coding::kPair, 1},
    {634, "kSlotABOutMode", Coding::kByte, 1},
    {635, "kSlotCDOutMode", Coding::kByte, 1},
    {636, "kDeviceID", Coding::kPair, 1},
    {638, "kGlobalProgChange", Coding::kPair, 1},
    {640, "kGlobalCtrlChange", Coding::kPair, 1},
    {642, "kMasterTune", Coding::kTunePair, 1},
    {644, "kSystemSusPdlPolarity", Coding::kPair, 1},
    {646, "kLocalControl", Coding::kPair, 1},
    {648, "kKeyboardOctave", Coding::kPair, 1},
    {650, "kQuickTab", Coding::kPair, 1},
    {652, "kGlobalArpMidiSend", Coding::kPair, 1},
    {654, "kSlotAEnable", Coding::kPair, 1},
    {656, "kSlotBEnable", Coding::kPair, 1},
    {658, "kSlotCEnable", Coding::kPair, 1},
    {660, "kSlotDEnable", Coding::kPair, 1},
    {662, "kCurrentProgram", Coding::kPair, 4},
    {670, "kCurrentBank", Coding::kPair, 4},
    {670, "kCurrentBank2x", Coding::kPair, 4},
    {678, "kAfterTouchRcv", Coding::kPair, 4},
    {686, "kAftertouchDestination", Coding::kPair, 4},
    {694, "kCtrlPdlRouting", Coding::kPair, 4},
    {702, "kPedalDestination", Coding::kPair, 4},
    {710, "kKeyboardSplit", Coding::kPair, 1},
    {712, "kKeyboardSplitPoint", Coding::kPair, 1},
};

bool FindInProgram(const std::string& name, Field* field) {
  for (int i = 0; i < 25; ++i) {
    if (name == kPairs[i]) {
      *field = {6 + 2 * i, Coding::kPair, true};
      return true;
    }
    if (name == std::string("kV") + (kPairs[i] + 1)) {
      *field = {56 + 2 * i, Coding::kSignedPair, true};
      return true;
    }
  }
  int kept = 0;
  for (int i = 0; i < 32; ++i) {
    std::string own = kBytes[i];
    const bool twin = !own.empty() && own.back() == '*';
    if (twin) own.pop_back();
    if (own.empty()) own = "kMDB" + std::to_string(++kept);
    if (name == own || (twin && name == own + "NL1")) {
      *field = {106 + i, Coding::kByte, true};
      return true;
    }
  }
  return false;
}

bool FindInPerformance(const std::string& name, int slot, Field* field) {
  for (const Row& row : kRows) {
    if (name != row.name || slot >= row.count) continue;
    *field = {row.position + 2 * slot, row.coding, false};
    return true;
  }
  return false;
}

}  // namespace

bool Find(const std::string& name, int slot, Field* field) {
  if (slot < 0 || slot > 3) return false;
  return FindInProgram(name, field) || FindInPerformance(name, slot, field);
}

int Width(Coding coding) { return coding == Coding::kByte ? 1 : 2; }

int Read(Coding coding, const uint8_t* bytes) {
  if (coding == Coding::kByte) return bytes[0];
  const int low = bytes[0], high = bytes[1];
  const int unsignedValue = low + 16 * high;
  const int twos = unsignedValue >= 128 ? unsignedValue - 256 : unsignedValue;  // -128..127
  switch (coding) {
    case Coding::kPair: return unsignedValue;
    case Coding::kSignedPair: return twos + 128;
    case Coding::kNotePair: return high == 0 ? low : unsignedValue - 23;
    case Coding::kChannelPair: return high == 15 ? 0 : low + 1;
    case Coding::kTunePair: return twos + 99;
    case Coding::kByte: break;
  }
  return 0;
}

void Write(Coding coding, int value, uint8_t* bytes) {
  auto nibbles = [bytes](int v) {
    bytes[0] = static_cast<uint8_t>(v % 16);
    bytes[1] = static_cast<uint8_t>(v / 16);
  };
  switch (coding) {
    case Coding::kByte: bytes[0] = static_cast<uint8_t>(value); break;
    case Coding::kPair: nibbles(value); break;
    case Coding::kSignedPair: nibbles((value - 128 + 256) % 256); break;
    case Coding::kNotePair: nibbles(value + 23); break;
    case Coding::kChannelPair:
      if (value == 0) {
        bytes[0] = bytes[1] = 15;
      } else {
        bytes[0] = static_cast<uint8_t>(value - 1);
        bytes[1] = 0;
      }
      break;
    case Coding::kTunePair: nibbles((value - 99 + 256) % 256); break;
  }
}

}  // namespace SynthSimFields

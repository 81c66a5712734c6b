#include "SynthSimFields.h"

#include <cstring>
#include <vector>

namespace SynthSimFields {
namespace {

// The program's paired values in dump order from 6; their velocity twins ("kV" +
// the name without its "k") follow in the same order from 56 as signed pairs.
const char* const kPairs[] = {
    "kOsc2Semitones",   "kOsc2Finetune",   "kOscillatorMix",   "kFilterCutoff",  "kFilterResonance",
    "kFilterEnvAmnt",   "kPulseWidth",     "kOsc1FMAmount",    "kFilterEnvAttack", "kFilterEnvDecay",
    "kFilterEnvSustain", "kFilterEnvRelease", "kAmpEnvAttack",  "kAmpEnvDecay",   "kAmpEnvSustain",
    "kAmpEnvRelease",   "kPortamento",     "kAmpGain",         "kModEnvAttack",  "kModEnvDecay",
    "kModEnvAmount",    "kLFO1Rate",       "kLFO1Amount",      "kLFO2Rate",      "kLFO2Amount",
};

// Single bytes from 106; an empty name is a kept byte (kMDB1.. in order). A trailing
// '*' marks a field the first-generation model holds in its own "...NL1" parameter.
const char* const kBytes[] = {
    "kOsc1Waveform*", "", "kOsc2Waveform", "", "kOscSync*", "kFilterDistortion", "kFilterType*", "",
    "kOsc2KbdTrack", "", "kFilterKbdTrack*", "", "kLFO1Waveform*", "", "kLFO1Destination*", "",
    "kOscillatorMode", "", "kModWheelDestination", "", "kUnisonMode", "", "kModEnvDestination*", "",
    "kAutoPortamento", "", "kFilterVelocity", "", "kOctaveSwitch", "", "kLFO2Destination*", "",
};

// The performance block's named fields: `count` slots `step` bytes apart. Every
// other position of 534..713 is a kept byte, kMDB16.. in order (no kMDB53).
struct Row {
  int position;
  const char* name;
  Coding coding;
  int count;
};
const Row kRows[] = {
    {534, "kPartMidiChannel", Coding::kChannelPair, 4}, {542, "kLFO1Sync", Coding::kByte, 4},
    {550, "kLFO2Sync", Coding::kByte, 4},               {558, "kFilterEnvTrigger", Coding::kByte, 4},
    {566, "kFilterEnvChannel", Coding::kByte, 4},       {574, "kFilterEnvNote", Coding::kNotePair, 4},
    {582, "kAmpEnvTrigger", Coding::kByte, 4},          {590, "kAmpEnvChannel", Coding::kByte, 4},
    {598, "kAmpEnvNote", Coding::kNotePair, 4},         {606, "kExtVeloMorph", Coding::kByte, 4},
    {614, "kExtVeloMorphCha", Coding::kByte, 4},        {622, "kExtVeloMorphNote", Coding::kNotePair, 4},
    {630, "kSystemPitchBendRange", Coding::kByte, 1},   {632, "kSystemUnisonDetune", Coding::kByte, 1},
    {634, "kSlotABOutMode", Coding::kByte, 1},          {635, "kSlotCDOutMode", Coding::kByte, 1},
    {636, "kDeviceID", Coding::kByte, 1},               {638, "kGlobalProgChange", Coding::kByte, 1},
    {640, "kGlobalCtrlChange", Coding::kByte, 1},       {642, "kMasterTune", Coding::kTunePair, 1},
    {644, "kSystemSusPdlPolarity", Coding::kByte, 1},   {646, "kLocalControl", Coding::kByte, 1},
    {648, "kKeyboardOctave", Coding::kByte, 1},         {650, "kQuickTab", Coding::kByte, 1},
    {652, "kGlobalArpMidiSend", Coding::kByte, 1},      {654, "kSlotAEnable", Coding::kByte, 1},
    {656, "kSlotBEnable", Coding::kByte, 1},            {658, "kSlotCEnable", Coding::kByte, 1},
    {660, "kSlotDEnable", Coding::kByte, 1},            {662, "kCurrentProgram", Coding::kPair, 4},
    {670, "kCurrentBank", Coding::kByte, 4},            {670, "kCurrentBank2x", Coding::kByte, 4},
    {678, "kAfterTouchRcv", Coding::kByte, 4},          {686, "kAftertouchDestination", Coding::kByte, 4},
    {694, "kCtrlPdlRouting", Coding::kByte, 4},         {702, "kPedalDestination", Coding::kByte, 4},
    {710, "kKeyboardSplit", Coding::kByte, 1},          {712, "kKeyboardSplitPoint", Coding::kPair, 1},
};
constexpr int kBlockStart = 534;
constexpr int kBlockEnd = 714;

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
  std::vector<bool> named(kBlockEnd, false);
  for (const Row& row : kRows) {
    const int width = Width(row.coding);
    for (int s = 0; s < row.count; ++s) {
      const int position = row.position + 2 * s;
      for (int b = 0; b < width; ++b) named[position + b] = true;
      if (name == row.name && s == (row.count == 1 ? 0 : slot)) {
        *field = {position, row.coding, false};
        return true;
      }
    }
  }
  int number = 16;
  for (int position = kBlockStart; position < kBlockEnd; ++position) {
    if (named[position]) continue;
    if (name == "kMDB" + std::to_string(number)) {
      *field = {position, Coding::kByte, false};
      return true;
    }
    number += number == 52 ? 2 : 1;
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

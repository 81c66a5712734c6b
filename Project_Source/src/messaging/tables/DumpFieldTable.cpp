#include "messaging/tables/DumpFieldTable.h"

namespace {
constexpr DumpCoding U = DumpCoding::kUnsignedPair;
constexpr DumpCoding S = DumpCoding::kSignedPair;
constexpr DumpCoding B = DumpCoding::kByte;
constexpr DumpCoding K = DumpCoding::kKeptByte;
}  // namespace

const PartBlockField kPartBlockFields[] = {
    {0, "kOsc2Semitones", nullptr, U, "kOscLock"},
    {2, "kOsc2Finetune", nullptr, U, "kOscLock"},
    {4, "kOscillatorMix", nullptr, U, "kOscLock"},
    {6, "kFilterCutoff", nullptr, U, "kFilterLock"},
    {8, "kFilterResonance", nullptr, U, "kFilterLock"},
    {10, "kFilterEnvAmnt", nullptr, U, "kFilterLock"},
    {12, "kPulseWidth", nullptr, U, "kOscLock"},
    {14, "kOsc1FMAmount", nullptr, U, "kOscLock"},
    {16, "kFilterEnvAttack", nullptr, U, "kFilterLock"},
    {18, "kFilterEnvDecay", nullptr, U, "kFilterLock"},
    {20, "kFilterEnvSustain", nullptr, U, "kFilterLock"},
    {22, "kFilterEnvRelease", nullptr, U, "kFilterLock"},
    {24, "kAmpEnvAttack", nullptr, U, "kAmpLock"},
    {26, "kAmpEnvDecay", nullptr, U, "kAmpLock"},
    {28, "kAmpEnvSustain", nullptr, U, "kAmpLock"},
    {30, "kAmpEnvRelease", nullptr, U, "kAmpLock"},
    {32, "kPortamento", nullptr, U, nullptr},
    {34, "kAmpGain", nullptr, U, "kAmpLock"},
    {36, "kModEnvAttack", nullptr, U, "kModEnvLock"},
    {38, "kModEnvDecay", nullptr, U, "kModEnvLock"},
    {40, "kModEnvAmount", nullptr, U, "kModEnvLock"},
    {42, "kLFO1Rate", nullptr, U, "kLFO1Lock"},
    {44, "kLFO1Amount", nullptr, U, "kLFO1Lock"},
    {46, "kLFO2Rate", nullptr, U, "kLFO2Lock"},
    {48, "kLFO2Amount", nullptr, U, "kLFO2Lock"},
    {50, "kVOsc2Semitones", nullptr, S, "kOscLock"},
    {52, "kVOsc2Finetune", nullptr, S, "kOscLock"},
    {54, "kVOscillatorMix", nullptr, S, "kOscLock"},
    {56, "kVFilterCutoff", nullptr, S, "kFilterLock"},
    {58, "kVFilterResonance", nullptr, S, "kFilterLock"},
    {60, "kVFilterEnvAmnt", nullptr, S, "kFilterLock"},
    {62, "kVPulseWidth", nullptr, S, "kOscLock"},
    {64, "kVOsc1FMAmount", nullptr, S, "kOscLock"},
    {66, "kVFilterEnvAttack", nullptr, S, "kFilterLock"},
    {68, "kVFilterEnvDecay", nullptr, S, "kFilterLock"},
    {70, "kVFilterEnvSustain", nullptr, S, "kFilterLock"},
    {72, "kVFilterEnvRelease", nullptr, S, "kFilterLock"},
    {74, "kVAmpEnvAttack", nullptr, S, "kAmpLock"},
    {76, "kVAmpEnvDecay", nullptr, S, "kAmpLock"},
    {78, "kVAmpEnvSustain", nullptr, S, "kAmpLock"},
    {80, "kVAmpEnvRelease", nullptr, S, "kAmpLock"},
    {82, "kVPortamento", nullptr, S, nullptr},
    {84, "kVAmpGain", nullptr, S, "kAmpLock"},
    {86, "kVModEnvAttack", nullptr, S, "kModEnvLock"},
    {88, "kVModEnvDecay", nullptr, S, "kModEnvLock"},
    {90, "kVModEnvAmount", nullptr, S, "kModEnvLock"},
    {92, "kVLFO1Rate", nullptr, S, "kLFO1Lock"},
    {94, "kVLFO1Amount", nullptr, S, "kLFO1Lock"},
    {96, "kVLFO2Rate", nullptr, S, "kLFO2Lock"},
    {98, "kVLFO2Amount", nullptr, S, "kLFO2Lock"},
    {100, "kOsc1Waveform", "kOsc1WaveformNL1", B, "kOscLock"},
    {101, "kMDB1", nullptr, K, nullptr},
    {102, "kOsc2Waveform", nullptr, B, "kOscLock"},
    {103, "kMDB2", nullptr, K, nullptr},
    {104, "kOscSync", "kOscSyncNL1", B, "kOscLock"},
    {105, "kFilterDistortion", nullptr, B, "kFilterLock"},
    {106, "kFilterType", "kFilterTypeNL1", B, "kFilterLock"},
    {107, "kMDB3", nullptr, K, nullptr},
    {108, "kOsc2KbdTrack", nullptr, B, "kOscLock"},
    {109, "kMDB4", nullptr, K, nullptr},
    {110, "kFilterKbdTrack", "kFilterKbdTrackNL1", B, "kFilterLock"},
    {111, "kMDB5", nullptr, K, nullptr},
    {112, "kLFO1Waveform", "kLFO1WaveformNL1", B, "kLFO1Lock"},
    {113, "kMDB6", nullptr, K, nullptr},
    {114, "kLFO1Destination", "kLFO1DestinationNL1", B, "kLFO1Lock"},
    {115, "kMDB7", nullptr, K, nullptr},
    {116, "kOscillatorMode", nullptr, B, nullptr},
    {117, "kMDB8", nullptr, K, nullptr},
    {118, "kModWheelDestination", nullptr, B, "kModWheelLock"},
    {119, "kMDB9", nullptr, K, nullptr},
    {120, "kUnisonMode", nullptr, B, nullptr},
    {121, "kMDB10", nullptr, K, nullptr},
    {122, "kModEnvDestination", "kModEnvDestinationNL1", B, "kModEnvLock"},
    {123, "kMDB11", nullptr, K, nullptr},
    {124, "kAutoPortamento", nullptr, B, nullptr},
    {125, "kMDB12", nullptr, K, nullptr},
    {126, "kFilterVelocity", nullptr, B, "kFilterLock"},
    {127, "kMDB13", nullptr, K, nullptr},
    {128, "kOctaveSwitch", nullptr, B, nullptr},
    {129, "kMDB14", nullptr, K, nullptr},
    {130, "kLFO2Destination", "kLFO2DestinationNL1", B, "kLFO2Lock"},
    {131, "kMDB15", nullptr, K, nullptr},
};
const int kPartBlockFieldCount = sizeof kPartBlockFields / sizeof kPartBlockFields[0];

const char* const kPartBlockSideParams[] = {"kLFO2Hold"};
const int kPartBlockSideParamCount = 1;

namespace {

constexpr DumpCoding N = DumpCoding::kNotePair;
constexpr DumpCoding C = DumpCoding::kChannelPair;
constexpr DumpCoding T = DumpCoding::kTunePair;

// A per-slot field at first, first + step, ... for slots A..D.
#define SLOTS(first, step, name, coding)                                                            \
  {first, name, 0, coding}, {first + step, name, 1, coding}, {first + 2 * step, name, 2, coding}, { \
    first + 3 * step, name, 3, coding                                                               \
  }
}  // namespace

const PerformanceField kPerformanceFields[] = {
    SLOTS(534, 2, "kPartMidiChannel", C),
    SLOTS(542, 2, "kLFO1Sync", U),
    SLOTS(550, 2, "kLFO2Sync", U),
    SLOTS(558, 2, "kFilterEnvTrigger", U),
    SLOTS(566, 2, "kFilterEnvChannel", U),
    SLOTS(574, 2, "kFilterEnvNote", N),
    SLOTS(582, 2, "kAmpEnvTrigger", U),
    SLOTS(590, 2, "kAmpEnvChannel", U),
    SLOTS(598, 2, "kAmpEnvNote", N),
    SLOTS(606, 2, "kExtVeloMorph", U),
    SLOTS(614, 2, "kExtVeloMorphCha", U),
    SLOTS(622, 2, "kExtVeloMorphNote", N),
    {630, "kSystemPitchBendRange", 0, U},
    {632, "kSystemUnisonDetune", 0, U},
    {634, "kSlotABOutMode", 0, B},
    {635, "kSlotCDOutMode", 0, B},
    {636, "kDeviceID", 0, U},
    {638, "kGlobalProgChange", 0, U},
    {640, "kGlobalCtrlChange", 0, U},
    {642, "kMasterTune", 0, T},
    {644, "kSystemSusPdlPolarity", 0, U},
    {646, "kLocalControl", 0, U},
    {648, "kKeyboardOctave", 0, U},
    {650, "kQuickTab", 0, U},
    {652, "kGlobalArpMidiSend", 0, U},
    {654, "kSlotAEnable", 0, U},
    {656, "kSlotBEnable", 0, U},
    {658, "kSlotCEnable", 0, U},
    {660, "kSlotDEnable", 0, U},
    SLOTS(662, 2, "kCurrentProgram", U),
    SLOTS(670, 2, "kCurrentBank", U),
    SLOTS(670, 2, "kCurrentBank2x", U),
    SLOTS(678, 2, "kAfterTouchRcv", U),
    SLOTS(686, 2, "kAftertouchDestination", U),
    SLOTS(694, 2, "kCtrlPdlRouting", U),
    SLOTS(702, 2, "kPedalDestination", U),
    {710, "kKeyboardSplit", 0, U},
    {712, "kKeyboardSplitPoint", 0, U},
};
const int kPerformanceFieldCount = sizeof kPerformanceFields / sizeof kPerformanceFields[0];

#undef SLOTS

const uint8_t kInitProgram[kProgramDumpSize] = {
    0xF0, 0x33, 0x00, 0x04, 0x00, 0x00, 0x0C, 0x03, 0x0A, 0x04, 0x00, 0x00, 0x0F, 0x07, 0x00, 0x00, 0x00, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x0F, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x0F, 0x07,
    0x00, 0x00, 0x00, 0x00, 0x04, 0x06, 0x00, 0x00, 0x0F, 0x07, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x00, 0x05,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0xF7,
};

std::array<uint8_t, kPerformanceDumpSize> InitPerformance() {
  std::array<uint8_t, kPerformanceDumpSize> dump{};
  const uint8_t header[6] = {0xF0, 0x33, 0x00, 0x04, 0x1E, 0x00};
  for (int i = 0; i < 6; ++i) dump[i] = header[i];
  // Every part block is the INIT program's.
  for (int start : kPartBlockStart) {
    for (int k = 0; k < kPartBlockSize; ++k) dump[start + k] = kInitProgram[6 + k];
  }
  auto put = [&](int position, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) dump[position++] = b;
  };
  put(534, {0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00});
  for (int position : {574, 598, 622}) put(position, {0x07, 0x01, 0x07, 0x01, 0x07, 0x01, 0x07, 0x01});
  put(630, {0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x04, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00});
  put(654, {0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00});
  put(710, {0x00, 0x00, 0x04, 0x02});
  dump[714] = 0xF7;
  return dump;
}

int FieldWidth(DumpCoding coding) { return coding == DumpCoding::kByte || coding == DumpCoding::kKeptByte ? 1 : 2; }

int FieldMaximum(DumpCoding coding) {
  switch (coding) {
    case DumpCoding::kUnsignedPair:
    case DumpCoding::kSignedPair: return 255;
    case DumpCoding::kByte:
    case DumpCoding::kKeptByte:
    case DumpCoding::kNotePair: return 127;
    case DumpCoding::kChannelPair: return 16;
    case DumpCoding::kTunePair: return 198;
  }
  return 0;
}

void EncodeField(DumpCoding coding, int value, uint8_t* bytes) {
  auto pair = [&](int v) {
    bytes[0] = static_cast<uint8_t>(v & 0x0F);
    bytes[1] = static_cast<uint8_t>((v >> 4) & 0x0F);
  };
  switch (coding) {
    case DumpCoding::kByte:
    case DumpCoding::kKeptByte: bytes[0] = static_cast<uint8_t>(value & 0x7F); break;
    case DumpCoding::kUnsignedPair: pair(value); break;
    case DumpCoding::kSignedPair: pair((value + 128) & 0xFF); break;
    case DumpCoding::kNotePair: pair(value + 23); break;
    case DumpCoding::kChannelPair:
      bytes[0] = static_cast<uint8_t>(value == 0 ? 15 : (value - 1) & 0x0F);
      bytes[1] = static_cast<uint8_t>(value == 0 ? 15 : 0);
      break;
    case DumpCoding::kTunePair:
      // Tunes of 0 and up as themselves, below 0 as 256 + tune.
      pair(value >= 99 ? value - 99 : value + 157);
      break;
  }
}

int DecodeField(DumpCoding coding, const uint8_t* bytes) {
  const int low = bytes[0];
  const int high = coding == DumpCoding::kByte || coding == DumpCoding::kKeptByte ? 0 : bytes[1];
  const int v = low + 16 * high;
  switch (coding) {
    case DumpCoding::kByte:
    case DumpCoding::kKeptByte: return low;
    case DumpCoding::kUnsignedPair: return v;
    case DumpCoding::kSignedPair: return high < 8 ? v + 128 : v - 128;
    case DumpCoding::kNotePair: return high == 0 ? low : v - 23;
    case DumpCoding::kChannelPair: return high != 0 ? high - 15 : low + 1;
    case DumpCoding::kTunePair: return high < 7 ? v + 99 : (high <= 9 ? low - 13 : v - 157);
  }
  return 0;
}

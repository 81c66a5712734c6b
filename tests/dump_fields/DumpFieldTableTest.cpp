// The dump field table: each coding against the dumps' own examples, the INIT
// bytes read back, and every byte of both dumps described exactly once.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "messaging/tables/DumpFieldTable.h"

namespace {

struct CodingCase {
  DumpCoding coding;
  uint8_t low, high;
  int value;
  bool encodesBack;  // the coder writes these bytes for the value
};

const CodingCase kCases[] = {
    {DumpCoding::kUnsignedPair, 15, 7, 127, true}, {DumpCoding::kUnsignedPair, 0, 8, 128, true},
    {DumpCoding::kSignedPair, 0, 0, 128, true},    {DumpCoding::kSignedPair, 0, 8, 0, true},
    {DumpCoding::kSignedPair, 15, 7, 255, true},   {DumpCoding::kSignedPair, 15, 15, 127, true},
    {DumpCoding::kNotePair, 7, 1, 0, true},        {DumpCoding::kNotePair, 9, 0, 9, false},
    {DumpCoding::kChannelPair, 15, 15, 0, true},   {DumpCoding::kChannelPair, 0, 0, 1, true},
    {DumpCoding::kChannelPair, 15, 0, 16, true},   {DumpCoding::kTunePair, 0, 0, 99, true},
    {DumpCoding::kTunePair, 13, 9, 0, true},       {DumpCoding::kTunePair, 3, 6, 198, true},
    {DumpCoding::kByte, 127, 0, 127, true},
};

TEST(DumpFieldTable, CodingsReadAndWriteTheDumpsExamples) {
  for (const CodingCase& c : kCases) {
    const uint8_t bytes[2] = {c.low, c.high};
    EXPECT_EQ(DecodeField(c.coding, bytes), c.value) << int(c.coding) << " " << int(c.low) << "," << int(c.high);
    if (!c.encodesBack) continue;
    uint8_t out[2] = {0xAA, 0xAA};
    EncodeField(c.coding, c.value, out);
    EXPECT_EQ(out[0], c.low) << int(c.coding) << " value " << c.value;
    if (FieldWidth(c.coding) == 2) {
      EXPECT_EQ(out[1], c.high) << int(c.coding) << " value " << c.value;
    }
  }
}

TEST(DumpFieldTable, EveryValueOfACodingSurvivesTheRoundTrip) {
  for (DumpCoding coding :
       {DumpCoding::kUnsignedPair, DumpCoding::kSignedPair, DumpCoding::kByte, DumpCoding::kKeptByte,
        DumpCoding::kNotePair, DumpCoding::kChannelPair, DumpCoding::kTunePair}) {
    for (int v = 0; v <= FieldMaximum(coding); ++v) {
      uint8_t bytes[2] = {0, 0};
      EncodeField(coding, v, bytes);
      EXPECT_LE(bytes[0], 0x7F);
      EXPECT_LE(bytes[1], 0x7F);
      EXPECT_EQ(DecodeField(coding, bytes), v) << int(coding);
    }
  }
}

TEST(DumpFieldTable, TheInitProgramReadsAsDocumented) {
  std::map<std::string, int> values;
  for (int i = 0; i < kPartBlockFieldCount; ++i) {
    values[kPartBlockFields[i].param] =
        DecodeField(kPartBlockFields[i].coding, &kInitProgram[6 + kPartBlockFields[i].offset]);
  }
  const std::map<std::string, int> kDocumented = {
      {"kOsc2Semitones", 60},  {"kOsc2Finetune", 74},      {"kFilterCutoff", 127}, {"kFilterEnvAmnt", 64},
      {"kFilterEnvDecay", 64}, {"kFilterEnvSustain", 127}, {"kAmpEnvDecay", 64},   {"kAmpEnvSustain", 127},
      {"kAmpGain", 100},       {"kModEnvDecay", 127},      {"kModEnvAmount", 64},  {"kLFO1Rate", 80},
      {"kLFO2Rate", 80},       {"kOsc1Waveform", 1},       {"kOsc2Waveform", 1},   {"kOscillatorMode", 2},
      {"kOctaveSwitch", 2},
  };
  for (const auto& [name, value] : values) {
    auto it = kDocumented.find(name);
    int want = it != kDocumented.end() ? it->second : (name.compare(0, 2, "kV") == 0 ? 128 : 0);
    EXPECT_EQ(value, want) << name;
  }
  EXPECT_EQ(InitPerformance()[714], 0xF7);
  std::array<uint8_t, kPerformanceDumpSize> perf = InitPerformance();
  for (int i = 0; i < kPerformanceFieldCount; ++i) {
    const PerformanceField& f = kPerformanceFields[i];
    const std::map<std::string, int> kPerformance = {
        {"kFilterEnvNote", 0}, {"kMasterTune", 99}, {"kDeviceID", 4}, {"kKeyboardSplitPoint", 36}};
    const int value = DecodeField(f.coding, &perf[f.position]);
    if (std::string(f.param) == "kPartMidiChannel") {
      EXPECT_EQ(value, f.slot + 1);
    } else if (kPerformance.count(f.param)) {
      EXPECT_EQ(value, kPerformance.at(f.param)) << f.param;
    }
  }
}

TEST(DumpFieldTable, EveryDataByteIsDescribedOnceAndCarries459Indices) {
  std::set<int> offsets;
  std::set<std::pair<std::string, int>> carried;
  for (int i = 0; i < kPartBlockFieldCount; ++i) {
    const PartBlockField& f = kPartBlockFields[i];
    for (int b = 0; b < FieldWidth(f.coding); ++b) EXPECT_TRUE(offsets.insert(f.offset + b).second) << f.param;
    for (int s = 0; s < 4; ++s) {
      carried.insert({f.param, s});
      if (f.nl1Param) carried.insert({f.nl1Param, s});
    }
  }
  for (int s = 0; s < 4; ++s) carried.insert({kPartBlockSideParams[0], s});
  EXPECT_EQ(offsets.size(), size_t(kPartBlockSize));
  EXPECT_EQ(carried.size(), 4u * 91);
  std::multiset<int> positions;
  for (int i = 0; i < kPerformanceFieldCount; ++i) {
    const PerformanceField& f = kPerformanceFields[i];
    for (int b = 0; b < FieldWidth(f.coding); ++b) positions.insert(f.position + b);
    carried.insert({f.param, f.slot});
  }
  for (int p = kPerformanceBlockStart; p <= kPerformanceBlockEnd; ++p) {
    // The bank pair of each slot feeds two bank parameters.
    const bool bank = p >= 670 && p <= 677;
    EXPECT_EQ(positions.count(p), bank ? 2u : 1u) << p;
  }
  // 19 values of each slot and 19 single ones: the bytes after single-byte values
  // are their high nybbles, no parameters of their own.
  EXPECT_EQ(carried.size(), 4u * 91 + 4 * 19 + 19);
}

}  // namespace

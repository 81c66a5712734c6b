// The dump coders on their own: the INIT dumps read as documented, the special
// fields, locks and models in tables, malformed dumps refused (exact-size copies, so
// reading past the end shows under ASan), senders holding values to their fields,
// and the named and librarian forms.

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "InitDumps.h"
#include "PanelValues.h"
#include "messaging/LibrarianDumpForm.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;

TEST(DumpParsing, InitDumpsReadAsDocumented) {
  const std::map<std::string, int> kPart = {
      {"kOsc2Semitones", 60},  {"kOsc2Finetune", 74},      {"kFilterCutoff", 127}, {"kFilterEnvAmnt", 64},
      {"kFilterEnvDecay", 64}, {"kFilterEnvSustain", 127}, {"kAmpEnvDecay", 64},   {"kAmpEnvSustain", 127},
      {"kAmpGain", 100},       {"kModEnvDecay", 127},      {"kModEnvAmount", 64},  {"kLFO1Rate", 80},
      {"kLFO2Rate", 80},       {"kOsc1Waveform", 1},       {"kOsc2Waveform", 1},   {"kOscillatorMode", 2},
      {"kOctaveSwitch", 2},
  };
  auto expectPart = [&](PanelValues& panel, int slot) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const std::string name = kPartBlockFields[k].param;
      const auto it = kPart.find(name);
      const int want = it != kPart.end() ? it->second : name.compare(0, 2, "kV") == 0 ? 128 : 0;
      EXPECT_EQ(panel.At(name, slot), want) << name << " slot " << slot;
    }
  };
  PanelValues program(1);
  const Bytes init = InitProgramBytes();
  ASSERT_EQ(kProgram->Parse(init.data(), init.size(), program), 0);
  expectPart(program, 0);
  EXPECT_EQ(program.names[ParamIndex("kPatchName")], "Requested");

  PanelValues performance(1);
  const Bytes initPerformance = InitPerformanceBytes();
  ASSERT_TRUE(kPerformance->Parse(initPerformance.data(), initPerformance.size(), performance));
  for (int slot = 0; slot < 4; ++slot) {
    expectPart(performance, slot);
    EXPECT_EQ(performance.At("kPartMidiChannel", slot), slot + 1);
    EXPECT_EQ(performance.At("kFilterEnvNote", slot), 0);
    EXPECT_EQ(performance.names[ParamIndex("kPatchName") + slot], "PerfFromHW");
  }
  for (const char* one : {"kSlotAEnable", "kSlotDEnable", "kSystemPitchBendRange", "kSlotCDOutMode",
                          "kGlobalProgChange", "kGlobalCtrlChange", "kSystemSusPdlPolarity"}) {
    EXPECT_EQ(performance[one], 1) << one;
  }
  EXPECT_EQ(performance["kMasterTune"], 99);
  EXPECT_EQ(performance["kKeyboardSplitPoint"], 36);
  EXPECT_EQ(performance["kQuickTab"], 0);
  EXPECT_EQ(performance.names[ParamIndex("kMultiName")], "Perf Req.");
  // And they go out again exactly.
  EXPECT_EQ(kProgram->Build(program, 0, 0), init);
  EXPECT_EQ(kPerformance->Build(performance, 0, 0), initPerformance);
}

// One program dump case: bytes set over the INIT program on `model`, panel values
// set first, and what the panel holds after.
struct ProgramCase {
  const char* what;
  int model;
  std::vector<std::pair<int, int>> bytes;  // position, byte
  std::vector<std::pair<const char*, double>> before;
  std::vector<std::pair<const char*, double>> after;  // slot A
  double stepPosition;                                // of kModWheelDestination, or -1
};

const ProgramCase kProgramCases[] = {
    {"octave light lit at 36", 1, {{6, 4}, {7, 2}}, {}, {{"kOscillator2OctaveLED", 1}, {"kOsc2Semitones", 36}}, -1},
    {"octave light off at 37",
     1,
     {{6, 5}, {7, 2}},
     {{"kOscillator2OctaveLED", 1}},
     {{"kOscillator2OctaveLED", 0}, {"kOsc2Semitones", 37}},
     -1},
    {"octave light off above 120",
     1,
     {{6, 4}, {7, 8}},
     {{"kOscillator2OctaveLED", 1}},
     {{"kOscillator2OctaveLED", 0}, {"kOsc2Semitones", 132}},
     -1},
    {"waveform 3 darkens the light",
     1,
     {{108, 3}},
     {{"kOscillator2OctaveLED", 1}},
     {{"kOscillator2OctaveLED", 0}, {"kOsc2Waveform", 3}},
     -1},
    {"filter lock keeps the filter",
     1,
     {{12, 0}, {13, 2}, {111, 5}},
     {{"kFilterLock", 1}, {"kFilterCutoff", 9}},
     {{"kFilterCutoff", 9}, {"kFilterDistortion", 0}, {"kOsc2Semitones", 60}},
     -1},
    {"NL1 ignores distortion",
     0,
     {{111, 5}, {106, 2}},
     {},
     {{"kFilterDistortion", 0}, {"kOsc1WaveformNL1", 2}, {"kOsc1Waveform", 0}},
     -1},
    {"LFO 2 destination sets both and hold",
     1,
     {{136, 5}},
     {},
     {{"kLFO2Destination", 5}, {"kLFO2DestinationNL1", 5}, {"kLFO2Hold", 1}},
     -1},
    {"NL1 leaves hold alone", 0, {{136, 3}}, {{"kLFO2Hold", 1}}, {{"kLFO2Destination", 3}, {"kLFO2Hold", 1}}, -1},
    {"mod wheel step 3", 1, {{124, 3}}, {}, {{"kModWheelDestination", 3}}, 0.75},
    {"mod wheel 6 shows 0", 1, {{124, 6}}, {}, {{"kModWheelDestination", 6}}, 0.0},
    {"mod wheel lock", 1, {{124, 2}}, {{"kModWheelLock", 1}}, {{"kModWheelDestination", 0}}, -1},
    {"pair bytes past 15 held to 255", 1, {{12, 0x7F}, {13, 0x7F}}, {}, {{"kFilterCutoff", 255}}, -1},
    {"signed 0, 8 is 0", 1, {{62, 0}, {63, 8}}, {}, {{"kVFilterCutoff", 0}}, -1},
};

TEST(DumpParsing, ProgramFieldsLocksAndModels) {
  for (const ProgramCase& c : kProgramCases) {
    Bytes dump = InitProgramBytes();
    for (auto [position, byte] : c.bytes) dump[position] = static_cast<uint8_t>(byte);
    PanelValues panel(c.model);
    for (auto [name, value] : c.before) panel.At(name, 0) = value;
    ASSERT_EQ(kProgram->Parse(dump.data(), dump.size(), panel), 0) << c.what;
    for (auto [name, value] : c.after) EXPECT_EQ(panel.At(name, 0), value) << c.what << ": " << name;
    if (c.stepPosition >= 0) {
      EXPECT_EQ(panel.stepPositions[ParamIndex("kModWheelDestination")], c.stepPosition) << c.what;
    }
  }
}

struct PerformanceCase {
  const char* what;
  std::vector<std::pair<int, int>> bytes;
  std::vector<std::pair<const char*, double>> before;
  std::vector<std::tuple<const char*, int, double>> after;  // name, slot, value
};

const PerformanceCase kPerformanceCases[] = {
    {"channel 15, 15 is 0", {{536, 15}, {537, 15}}, {}, {{"kPartMidiChannel", 1, 0}}},
    {"channel bytes held to 16",
     {{534, 127}, {535, 0}, {536, 3}, {537, 1}},
     {},
     {{"kPartMidiChannel", 0, 16}, {"kPartMidiChannel", 1, 0}}},
    {"active slot 3", {{650, 3}}, {}, {{"kQuickTab", 0, 3}}},
    {"active slot past D ignored", {{650, 9}}, {{"kQuickTab", 2}}, {{"kQuickTab", 0, 2}}},
    {"banks into both", {{672, 7}}, {}, {{"kCurrentBank", 1, 7}, {"kCurrentBank2x", 1, 7}}},
    {"global lock keeps settings, not programs, banks",
     {{630, 9}, {631, 1}, {664, 3}, {670, 2}},
     {{"kGlobalLock", 1}, {"kSystemPitchBendRange", 4}},
     {{"kSystemPitchBendRange", 0, 4}, {"kCurrentProgram", 1, 3}, {"kCurrentBank", 0, 2}, {"kOsc2Semitones", 3, 60}}},
    {"tune 13, 9 is 0", {{642, 13}, {643, 9}}, {}, {{"kMasterTune", 0, 0}}},
};

TEST(DumpParsing, PerformanceFieldsAndLocks) {
  for (const PerformanceCase& c : kPerformanceCases) {
    Bytes dump = InitPerformanceBytes();
    for (auto [position, byte] : c.bytes) dump[position] = static_cast<uint8_t>(byte);
    PanelValues panel(1);
    for (auto [name, value] : c.before) panel[name] = value;
    ASSERT_TRUE(kPerformance->Parse(dump.data(), dump.size(), panel)) << c.what;
    for (auto [name, slot, value] : c.after) EXPECT_EQ(panel.At(name, slot), value) << c.what << ": " << name;
  }
  // Slot B's oscillator lock alone.
  Bytes dump = InitPerformanceBytes();
  PanelValues panel(1);
  panel.At("kOscLock", 1) = 1;
  ASSERT_TRUE(kPerformance->Parse(dump.data(), dump.size(), panel));
  EXPECT_EQ(panel.At("kOsc2Semitones", 1), 0);
  EXPECT_EQ(panel.At("kOsc2Semitones", 2), 60);
}

// A performance cut short ends with its end byte where a field would stand: the end
// byte and what lies past it are never read as values.
TEST(DumpParsing, AShortPerformancesEndByteIsNoField) {
  Bytes dump = InitPerformanceBytes();
  dump.resize(713);
  dump.back() = 0xF7;  // where the keyboard split point's pair begins
  PanelValues panel(1);
  panel["kKeyboardSplitPoint"] = 5;
  ASSERT_TRUE(kPerformance->Parse(dump.data(), dump.size(), panel));
  EXPECT_EQ(panel["kKeyboardSplitPoint"], 5);
}

// A message and whether each parser takes it; every one is an exact-size copy.
struct Malformed {
  const char* what;
  std::function<Bytes()> make;
  bool program, performance, spaced;
};

Bytes Resized(Bytes dump, size_t size) {
  dump.resize(size, 0);
  if (size > 0) dump.back() = 0xF7;
  return dump;
}

const Malformed kMessages[] = {
    {"empty", [] { return Bytes(); }, false, false, false},
    {"four bytes",
     [] {
       return Bytes{0xF0, 0x33, 0x00, 0x04};
     },
     false, false, false},
    {"program 138", [] { return Resized(InitProgramBytes(), 138); }, false, false, false},
    {"program 140", [] { return Resized(InitProgramBytes(), 140); }, false, false, false},
    {"program 148", [] { return Resized(InitProgramBytes(), 148); }, false, false, false},
    {"program 149", [] { return Resized(InitProgramBytes(), 149); }, true, false, false},
    {"program slot byte 4",
     [] {
       Bytes b = InitProgramBytes();
       b[5] = 4;
       return b;
     },
     false, false, false},
    {"program manufacturer",
     [] {
       Bytes b = InitProgramBytes();
       b[1] = 0x34;
       return b;
     },
     false, false, false},
    {"program model byte",
     [] {
       Bytes b = InitProgramBytes();
       b[3] = 0x05;
       return b;
     },
     false, false, false},
    {"performance 710", [] { return Resized(InitPerformanceBytes(), 710); }, false, false, false},
    {"performance 711", [] { return Resized(InitPerformanceBytes(), 711); }, false, true, false},
    {"performance 765", [] { return Resized(InitPerformanceBytes(), 765); }, false, true, true},
    {"performance 766", [] { return Resized(InitPerformanceBytes(), 766); }, false, false, false},
    {"performance model byte",
     [] {
       Bytes b = InitPerformanceBytes();
       b[3] = 0;
       return b;
     },
     false, false, false},
};

TEST(DumpParsing, MalformedMessagesAreRefusedUntouched) {
  for (const Malformed& m : kMessages) {
    const Bytes message = m.make();
    const uint8_t* bytes = message.empty() ? nullptr : message.data();
    PanelValues panel(1);
    EXPECT_EQ(kProgram->Parse(bytes, message.size(), panel) >= 0, m.program) << m.what;
    EXPECT_EQ(kPerformance->Parse(bytes, message.size(), panel), m.performance) << m.what;
    EXPECT_EQ(kPerformance->ParseSpaced(bytes, message.size(), panel), m.spaced) << m.what;
    if (!m.program && !m.performance && !m.spaced) {
      EXPECT_TRUE(panel.names.empty()) << m.what;
    }
  }
}

TEST(DumpParsing, SendersHoldEveryValueToItsField) {
  const double kWild[] = {-5, 300, 1e300, -1e300, std::numeric_limits<double>::quiet_NaN(), 127.9};
  for (double wild : kWild) {
    PanelValues panel(2);
    for (int i = 0; i < 798; ++i) panel.SetValue(i, 0);
    for (int k = 0; k < kPartBlockFieldCount; ++k) panel.At(kPartBlockFields[k].param, 1) = wild;
    for (int k = 0; k < kPerformanceFieldCount; ++k)
      panel.At(kPerformanceFields[k].param, kPerformanceFields[k].slot) = wild;
    const Bytes program = kProgram->Build(panel, 1, 200);
    const Bytes performance = kPerformance->Build(panel, -3, 9);
    for (const Bytes* dump : {&program, &performance}) {
      for (size_t i = 1; i + 1 < dump->size(); ++i) ASSERT_LT((*dump)[i], 0x80) << wild << " at " << i;
    }
    EXPECT_EQ(program[2], 15);
    EXPECT_EQ(performance[2], 0);
    EXPECT_EQ(performance[650], 3);
    const int cutoff = DecodeField(DumpCoding::kUnsignedPair, &program[12]);
    EXPECT_EQ(cutoff, wild >= 255 ? 255 : wild > 0 ? 127 : 0) << wild;
    EXPECT_EQ(DecodeField(DumpCoding::kChannelPair, &performance[534]), wild >= 16 ? 16 : 0) << wild;
  }
  PanelValues panel(1);
  EXPECT_TRUE(kProgram->Build(panel, 4, 0).empty());
  EXPECT_TRUE(kProgram->Build(panel, -1, 0).empty());
}

TEST(DumpParsing, NamedFormsCutPadAndKeepNamesSevenBit) {
  const Bytes named = ProgramDumpCoder::WithName(InitProgramBytes(), "Caf\xC3\xA9 au lait");
  ASSERT_EQ(named.size(), 149u);
  // Cut by characters: the accented letter is one "?".
  EXPECT_EQ(std::string(named.begin() + 138, named.end() - 1), "Caf? au la");
  const Bytes perf = PerformanceDumpCoder::WithNames(InitPerformanceBytes(), "Perf", {"A", "", "C", "D"});
  ASSERT_EQ(perf.size(), 765u);
  PanelValues panel(1);
  ASSERT_TRUE(kPerformance->Parse(perf.data(), perf.size(), panel));
  EXPECT_EQ(panel.names[ParamIndex("kMultiName")], std::string("Perf\0\0\0\0\0\0", 10));
  EXPECT_EQ(panel.names[ParamIndex("kPatchName") + 1], std::string(10, '\0'));
}

TEST(DumpParsing, LibrarianFormsOfReceivedDumps) {
  struct Case {
    size_t size;
    bool performance;
    size_t stored;  // 0: refused
  };
  const Case kCases[] = {{139, false, 149}, {149, false, 149}, {140, false, 0},  {138, false, 0},
                         {715, true, 725},  {711, true, 725},  {713, true, 725}, {710, true, 0},
                         {720, true, 0},    {725, true, 725},  {765, true, 765}, {766, true, 0}};
  for (const Case& c : kCases) {
    Bytes message(c.size, 0x11);
    message.back() = 0xF7;
    const Bytes stored = c.performance ? LibrarianPerformanceForm(message.data(), message.size(), "Requested ")
                                       : LibrarianProgramForm(message.data(), message.size(), "Requested ");
    ASSERT_EQ(stored.size(), c.stored) << c.size;
    if (c.stored == 0 || c.stored == c.size) continue;
    const size_t body = c.performance ? 714 : 138;
    EXPECT_EQ(std::string(stored.begin() + body, stored.begin() + body + 10), "Requested ") << c.size;
    EXPECT_EQ(stored.back(), 0xF7);
    // Bytes the message held are kept; its end byte and what it lacked are zero.
    for (size_t i = 6; i < body; ++i) {
      ASSERT_EQ(stored[i], i < c.size - 1 ? 0x11 : 0x00) << c.size << " at " << i;
    }
  }
}

}  // namespace

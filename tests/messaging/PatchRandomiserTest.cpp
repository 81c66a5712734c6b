// The patch randomiser: the mapping into parameter ranges, which draws each slot
// takes, the locks, maxima below 1, fresh draws at every press, and the manager's
// randomiser over an editor.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "FakeIncomingEditor.h"
#include "Kit_Random.h"
#include "layout/tables/ParamNameTable.h"
#include "messaging/PatchRandomiser.h"
#include "messaging/tables/RandomisedParams.h"

namespace {

// Every parameter of the plug-in at 0..127 and 0, recording what is set.
class RecordingParams : public RandomiserParams {
public:
  int IndexOf(const char* name) const override {
    for (int i = 0; i < kParamNameTableSize; ++i)
      if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
    return -1;
  }
  double Minimum(int index) const override { return minimum.at(index); }
  double Maximum(int index) const override { return maximum.at(index); }
  double Value(int index) const override { return values.at(index); }
  void SetParameterFromPlug(int index, double value) override {
    set.insert(index);
    values.at(index) = value;
  }
  int At(const char* name, int slot) const { return IndexOf(name) + slot; }

  std::vector<double> minimum = std::vector<double>(kLayoutParamCount, 0.0);
  std::vector<double> maximum = std::vector<double>(kLayoutParamCount, 127.0);
  std::vector<double> values = std::vector<double>(kLayoutParamCount, 0.0);
  std::set<int> set;
};

// The names of the randomised parameters that a run left alone.
std::set<std::string> LeftAlone(const RecordingParams& params, int slot) {
  std::set<std::string> alone;
  for (int i = 0; i < kRandomisedParamCount; ++i)
    if (!params.set.count(params.At(kRandomisedParams[i], slot))) alone.insert(kRandomisedParams[i]);
  return alone;
}

// Entry i holds i mod 80, so a 0..127 parameter receives the number of its draw.
std::vector<int> DrawNumbers() {
  std::vector<int> table(kRandomTableSize, 0);
  for (int i = 0; i < kRandomDraws; ++i) table[i] = i % kRandomSlotEntries;
  return table;
}

TEST(PatchRandomiser, MapsAnEntryIntoTheParameterRange) {
  struct Case {
    double minimum, maximum;
    int entry;
    std::optional<int> value;
  };
  // A switch takes the parity; 0..127 takes v - 127 above 127; a 0..4 selector 0 only
  // from 0; the parameter clamps what lies past its minimum; maxima below 1 are skipped.
  const Case cases[] = {
      {0, 1, 200, 0},      {0, 1, 201, 1}, {0, 1, 0, 0},     {0, 127, 127, 127}, {0, 127, 128, 1},
      {0, 127, 255, 1},    {0, 4, 0, 0},   {0, 4, 1, 1},     {0, 4, 255, 3},     {-64, 63, 200, 74},
      {-64, 63, 100, 100}, {0, 1.9, 3, 1}, {0, 0.99, 5, {}}, {0, 0, 255, {}},    {-5, 0, 0, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(randomizer(c.minimum, c.maximum, c.entry), c.value) << c.minimum << ".." << c.maximum << " " << c.entry;
}

TEST(PatchRandomiser, EachSlotTakesItsOwnDrawsInOrder) {
  const std::vector<int> table = DrawNumbers();
  const std::set<int> unused = {40, 45, 70, 71};
  const std::pair<const char*, int> spots[] = {
      {"kOsc2Semitones", 0},   {"kOsc1FMAmount", 4},        {"kOsc2KbdTrack", 15},  {"kFilterCutoff", 16},
      {"kFilterVelocity", 35}, {"kAmpEnvRelease", 39},      {"kVAmpEnvAttack", 41}, {"kVAmpEnvRelease", 44},
      {"kLFO1Rate", 46},       {"kLFO2DestinationNL1", 60}, {"kModEnvAttack", 61},  {"kModWheelDestination", 69},
      {"kOscillatorMode", 72}, {"kUnisonMode", 73},
  };
  for (int slot = 0; slot < 4; ++slot) {
    RecordingParams params;
    randomizePartPatch(slot, table, params);
    std::set<int> draws;
    for (int i = 0; i < kRandomisedParamCount; ++i)
      draws.insert(int(params.values[params.At(kRandomisedParams[i], slot)]));
    std::set<int> expected;
    for (int k = 0; k <= 73; ++k)
      if (!unused.count(k)) expected.insert(k);
    EXPECT_EQ(draws, expected) << "slot " << slot;
    EXPECT_EQ(params.set.size(), size_t(kRandomisedParamCount)) << "slot " << slot << ": only its own parameters";
    for (const auto& [name, k] : spots) EXPECT_EQ(params.values[params.At(name, slot)], k) << name << " slot " << slot;
  }
}

TEST(PatchRandomiser, LockedGroupsAreLeftAlone) {
  const std::set<std::string> amp = {"kAmpEnvAttack",  "kAmpEnvDecay",  "kAmpEnvSustain",  "kAmpEnvRelease",
                                     "kVAmpEnvAttack", "kVAmpEnvDecay", "kVAmpEnvSustain", "kVAmpEnvRelease"};
  std::set<std::string> allButModes(kRandomisedParams, kRandomisedParams + kRandomisedParamCount);
  allButModes.erase("kOscillatorMode");
  allButModes.erase("kUnisonMode");
  const std::vector<const char*> allLocks = {"kOscLock",  "kFilterLock", "kAmpLock",     "kLFO1Lock",
                                             "kLFO2Lock", "kModEnvLock", "kModWheelLock"};
  struct Case {
    const char* what;
    std::vector<const char*> locks;
    double lockValue;
    int lockSlotOffset;  // a lock of another slot guards nothing here
    std::set<std::string> alone;
  };
  const Case cases[] = {
      {"every lock", allLocks, 1.0, 0, allButModes},
      {"mod wheel", {"kModWheelLock"}, 1.0, 0, {"kModWheelDestination"}},
      {"any value but 0 locks", {"kAmpLock"}, 0.5, 0, amp},
      {"another slot's lock", {"kAmpLock"}, 1.0, 1, {}},
  };
  const int slot = 2;
  for (const Case& c : cases) {
    RecordingParams params;
    for (const char* lock : c.locks) params.values[params.At(lock, (slot + c.lockSlotOffset) % 4)] = c.lockValue;
    randomizePartPatch(slot, DrawNumbers(), params);
    EXPECT_EQ(LeftAlone(params, slot), c.alone) << c.what;
  }
}

TEST(PatchRandomiser, AParameterWithAMaximumBelowOneIsSkipped) {
  RecordingParams params;
  params.maximum[params.At("kOsc2Semitones", 1)] = 0.0;
  params.maximum[params.At("kFilterType", 1)] = 0.5;
  params.values[params.At("kFilterType", 1)] = 0.25;
  std::vector<int> table(kRandomTableSize, 255);
  randomizePartPatch(1, table, params);
  EXPECT_EQ(LeftAlone(params, 1), (std::set<std::string>{"kOsc2Semitones", "kFilterType"}));
  EXPECT_EQ(params.values[params.At("kFilterType", 1)], 0.25);
}

TEST(PatchRandomiser, SlotsOutsideTheFourChangeNothing) {
  for (int slot : {-1, 4, 80}) {
    RecordingParams params;
    randomizePartPatch(slot, DrawNumbers(), params);
    EXPECT_TRUE(params.set.empty()) << slot;
  }
}

TEST(PatchRandomiser, EveryPressDrawsAfresh) {
  Kit_SeededRandom random(7), sameSeed(7);
  std::vector<int> first, second, replay;
  randomGenerator(random, first);
  randomGenerator(random, second);
  randomGenerator(sameSeed, replay);
  ASSERT_EQ(first.size(), size_t(kRandomTableSize));
  EXPECT_NE(first, second) << "two presses in a row";
  EXPECT_EQ(first, replay);
  for (int i = 0; i < kRandomTableSize; ++i) {
    EXPECT_GE(first[i], 0);
    EXPECT_LE(first[i], i < kRandomDraws ? 255 : 0) << "entry " << i;
  }
}

}  // namespace

namespace {

// The manager's randomiser over an editor: the editor's own source, table and panel.
TEST(PatchRandomiser, TheManagerDrawsFromThePluginsSourceAndSetsItsPanel) {
  FakeIncomingEditor editor;
  MIDIMessageManager manager(&editor, nullptr, nullptr, nullptr);
  manager.randomGenerator();
  const std::vector<int> first = editor.table;
  Kit_SeededRandom sameSeed(7);
  std::vector<int> expected;
  randomGenerator(sameSeed, expected);
  EXPECT_EQ(first, expected) << "seeded once, with the object";
  manager.randomGenerator();
  EXPECT_NE(editor.table, first) << "a second press draws afresh";

  const int cutoff = editor.editorParamIndex("kFilterCutoff");
  const int semitones = editor.editorParamIndex("kOsc2Semitones");
  editor.set(editor.editorParamIndex("kOscLock") + 2, 1);
  editor.set(semitones + 2, 64);
  manager.randomizePartPatch(2);
  EXPECT_EQ(editor.value(cutoff + 2), *randomizer(0, 127, editor.table[160 + 16]));
  EXPECT_EQ(editor.value(semitones + 2), 64) << "locked";
}

}  // namespace

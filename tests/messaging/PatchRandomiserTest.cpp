// The patch randomiser: the mapping into parameter ranges, which draws each slot
// takes, the locks, maxima below 1, fresh draws at every press, and the manager's
// randomiser over an editor.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "FakeIncomingEditor.h"
#include "Kit_Random.h"
#include "layout/tables/ParamNameTable.h"
#include "messaging/PatchRandomiser.h"
#include "messaging/tables/RandomisedParams.h"

namespace {

// Every parameter of the plug-in at value 0 unless a test sets it.
class LockValues : public RandomiserParams {
public:
  int IndexOf(const char* name) const override {
    for (int i = 0; i < kParamNameTableSize; ++i)
      if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
    return -1;
  }
  double Value(int index) const override { return values.at(index); }
  int At(const char* name, int slot) const { return IndexOf(name) + slot; }

  std::vector<double> values = std::vector<double>(kLayoutParamCount, 0.0);
};

// The names of the randomised parameters that the draws leave alone.
std::set<std::string> LeftAlone(const LockValues& params, const std::vector<RandomDraw>& draws, int slot) {
  std::set<int> set;
  for (const RandomDraw& draw : draws) set.insert(draw.paramIdx);
  std::set<std::string> alone;
  for (int i = 0; i < kRandomisedParamCount; ++i)
    if (!set.count(params.At(kRandomisedParams[i], slot))) alone.insert(kRandomisedParams[i]);
  return alone;
}

TEST(PatchRandomiser, MapsAnEntryIntoTheParameterRange) {
  struct Case {
    double minimum, maximum;
    int value, result;
  };
  // A switch takes the parity; 0..127 takes v - 127 above 127; a 0..4 selector 0 only
  // from 0; 1..99 leaves 0 for the parameter to raise; the parameter clamps what lies
  // past its minimum; a maximum below 1 holds the byte to the range.
  const Case cases[] = {
      {0, 1, 200, 0},   {0, 1, 201, 1},   {0, 1, 0, 0},    {0, 127, 127, 127}, {0, 127, 128, 1},   {0, 127, 200, 73},
      {0, 127, 255, 1}, {0, 4, 0, 0},     {0, 4, 1, 1},    {0, 4, 5, 1},       {0, 4, 8, 4},       {0, 4, 200, 4},
      {0, 4, 255, 3},   {1, 99, 127, 28}, {1, 99, 200, 2}, {1, 99, 0, 0},      {-64, 63, 200, 74}, {-64, 63, 100, 100},
      {0, 1.9, 3, 1},   {0, 0.99, 5, 0},  {0, 0, 255, 0},  {-5, 0, 0, 0},      {-5, 0, 9, 5},      {3, -2, 200, -5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(randomEntryInRange(c.minimum, c.maximum, c.value), c.result)
        << c.minimum << ".." << c.maximum << " " << c.value;
}

TEST(PatchRandomiser, EachSlotTakesItsOwnDrawsInOrder) {
  const std::set<int> unused = {40, 45, 70, 71};
  const std::pair<const char*, int> spots[] = {
      {"kOsc2Semitones", 0},   {"kOsc1FMAmount", 4},        {"kOsc2KbdTrack", 15},  {"kFilterCutoff", 16},
      {"kFilterVelocity", 35}, {"kAmpEnvRelease", 39},      {"kVAmpEnvAttack", 41}, {"kVAmpEnvRelease", 44},
      {"kLFO1Rate", 46},       {"kLFO2DestinationNL1", 60}, {"kModEnvAttack", 61},  {"kModWheelDestination", 69},
      {"kOscillatorMode", 72}, {"kUnisonMode", 73},
  };
  const LockValues params;
  for (int slot = 0; slot < 4; ++slot) {
    const std::vector<RandomDraw> draws = randomDraws(slot, params);
    std::set<int> entries, indices;
    std::map<int, int> entryOf;
    for (const RandomDraw& draw : draws) {
      entries.insert(draw.entry);
      indices.insert(draw.paramIdx);
      entryOf[draw.paramIdx] = draw.entry;
    }
    std::set<int> expected, own;
    for (int k = 0; k <= 73; ++k)
      if (!unused.count(k)) expected.insert(80 * slot + k);
    for (int i = 0; i < kRandomisedParamCount; ++i) own.insert(params.At(kRandomisedParams[i], slot));
    EXPECT_EQ(entries, expected) << "slot " << slot;
    EXPECT_EQ(draws.size(), size_t(kRandomisedParamCount)) << "slot " << slot << ": each parameter once";
    EXPECT_EQ(indices, own) << "slot " << slot << ": only its own parameters";
    for (const auto& [name, k] : spots) EXPECT_EQ(entryOf[params.At(name, slot)], 80 * slot + k) << name;
    EXPECT_EQ(draws.back().paramIdx, params.At("kUnisonMode", slot)) << "the voice modes come last";
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
    LockValues params;
    for (const char* lock : c.locks) params.values[params.At(lock, (slot + c.lockSlotOffset) % 4)] = c.lockValue;
    EXPECT_EQ(LeftAlone(params, randomDraws(slot, params), slot), c.alone) << c.what;
  }
}

TEST(PatchRandomiser, SlotsOutsideTheFourChangeNothing) {
  for (int slot : {-1, 4, 80}) EXPECT_TRUE(randomDraws(slot, LockValues()).empty()) << slot;
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
  EXPECT_EQ(editor.value(cutoff + 2), randomEntryInRange(0, 127, editor.table[160 + 16]));
  EXPECT_EQ(editor.value(cutoff + 2), manager.randomizer(cutoff + 2, 160 + 16));
  EXPECT_EQ(editor.value(semitones + 2), 64) << "locked";
}

// The manager maps an entry of the plug-in's table by the parameter's own range.
TEST(PatchRandomiser, TheManagerMapsATableEntryForAParameter) {
  FakeIncomingEditor editor;
  MIDIMessageManager manager(&editor, nullptr, nullptr, nullptr);
  editor.table.assign(kRandomTableSize, 0);
  editor.table[200] = 200;
  editor.table[201] = 201;
  editor.table[127] = 127;
  const int sync = 132, mode = 144, semitones = 100;  // 0..1, 0..4, 0..127 here
  editor.editorParam(sync)->InitInt("p", 0, 0, 1);
  editor.editorParam(mode)->InitInt("p", 0, 0, 4);
  editor.editorParam(semitones)->InitInt("p", 1, 1, 99);
  EXPECT_EQ(manager.randomizer(sync, 200), 0);
  EXPECT_EQ(manager.randomizer(sync, 201), 1);
  EXPECT_EQ(manager.randomizer(mode, 200), 4);
  EXPECT_EQ(manager.randomizer(semitones, 127), 28);
  EXPECT_EQ(manager.randomizer(semitones, 200), 2);
  EXPECT_EQ(manager.randomizer(mode, 400), 0) << "past the table";
  EXPECT_EQ(manager.randomizer(mode, -1), 0);
  EXPECT_EQ(manager.randomizer(semitones, 0), 0) << "the parameter raises it to its minimum";
}

}  // namespace

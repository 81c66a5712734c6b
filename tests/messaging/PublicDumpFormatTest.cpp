// The dump coders and the simulated unit against the published format, both ways:
// named values written into a dump land on the bytes written out by hand, and those
// bytes read back as the values. Files stored before values were sent as nybble pairs
// (every value below 16, the byte after it 0) still load as they did.

#include <gtest/gtest.h>

#include "Framework/ByteChunk.h"
#include "InitDumps.h"
#include "Kit_TimeSource.h"
#include "PanelValues.h"
#include "PublicDumpFormat.h"
#include "SynthSim.h"
#include "librarian/LibrarianRecords.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;
constexpr int kModel = 1;  // the second-generation names; the first model reads distortion as nothing
constexpr int kPartBlock = 132;

// The hand value moved to `slot`: a program value into slot's part block of a
// performance (`inPerformance`), or kept in a program dump of that slot.
HandValue AtSlot(HandValue v, int slot, bool inPerformance) {
  v.slot = slot;
  if (inPerformance) v.position += kPartBlock * slot;
  return v;
}

std::vector<HandValue> PartValues(int slot, bool inPerformance) {
  std::vector<HandValue> values;
  for (const HandValue& v : HandProgramValues()) values.push_back(AtSlot(v, slot, inPerformance));
  return values;
}

// The performance block's values and every slot's program values in its part block.
std::vector<HandValue> PerformanceValues() {
  std::vector<HandValue> values = HandPerformanceValues();
  for (int slot = 0; slot < 4; ++slot) {
    const std::vector<HandValue> part = PartValues(slot, true);
    values.insert(values.end(), part.begin(), part.end());
  }
  return values;
}

// The first dump of a bank file as the librarian reads it.
Bytes FirstDumpOfFile(const Bytes& image) {
  ByteChunk chunk;
  chunk.PutBytes(image.data(), int(image.size()));
  PatchFile file;
  PatchLibrarian::loadFromChunk(&chunk, chunk.Size(), &file, 0);
  if (file.patches.empty() || file.patches[0].messages.empty()) return {};
  return file.patches[0].messages[0].bytes;
}

void Put(const std::vector<HandValue>& values, Bytes& dump) {
  for (const HandValue& v : values)
    for (size_t b = 0; b < v.bytes.size(); ++b) dump[size_t(v.position) + b] = v.bytes[b];
}

void ExpectBytes(const std::vector<HandValue>& values, const Bytes& dump, const std::string& what) {
  for (const HandValue& v : values) {
    for (size_t b = 0; b < v.bytes.size(); ++b) {
      EXPECT_EQ(int(dump.at(size_t(v.position) + b)), int(v.bytes[b]))
          << what << ": " << v.param << " slot " << v.slot << " byte " << v.position + int(b);
    }
  }
}

void ExpectValues(const std::vector<HandValue>& values, PanelValues& panel, const std::string& what) {
  for (const HandValue& v : values) EXPECT_EQ(panel.At(v.param, v.slot), v.value) << what << ": " << v.param;
}

TEST(PublicDumpFormat, ProgramValuesGoOutAsTheirNybbles) {
  for (int slot = 0; slot < 4; ++slot) {
    PanelValues panel(kModel);
    const std::vector<HandValue> values = PartValues(slot, false);
    for (const HandValue& v : values) panel.At(v.param, slot) = v.value;
    const Bytes dump = kProgram->Build(panel, slot, 0);
    ASSERT_EQ(dump.size(), 139u);
    EXPECT_EQ(dump[5], slot);
    ExpectBytes(values, dump, "program of slot " + std::to_string(slot));
  }
}

TEST(PublicDumpFormat, ProgramNybblesReadAsTheirValues) {
  for (int slot = 0; slot < 4; ++slot) {
    Bytes dump = InitProgramBytes();
    dump[5] = uint8_t(slot);
    const std::vector<HandValue> values = PartValues(slot, false);
    Put(values, dump);
    PanelValues panel(kModel);
    ASSERT_EQ(kProgram->Parse(dump.data(), dump.size(), panel), slot);
    ExpectValues(values, panel, "program of slot " + std::to_string(slot));
  }
}

TEST(PublicDumpFormat, EachPartBlockAndThePerformanceBlockGoOutAsTheirNybbles) {
  PanelValues panel(kModel);
  const std::vector<HandValue> values = PerformanceValues();
  for (const HandValue& v : values) panel.At(v.param, v.slot) = v.value;
  const Bytes dump = kPerformance->Build(panel, 0, 0);
  ASSERT_EQ(dump.size(), 715u);
  ExpectBytes(values, dump, "performance");
}

TEST(PublicDumpFormat, EachPartBlockAndThePerformanceBlockReadAsTheirValues) {
  Bytes dump = InitPerformanceBytes();
  const std::vector<HandValue> values = PerformanceValues();
  Put(values, dump);
  PanelValues panel(kModel);
  ASSERT_TRUE(kPerformance->Parse(dump.data(), dump.size(), panel));
  ExpectValues(values, panel, "performance");
}

// The unit's own map agrees with the hand-written bytes both ways.
TEST(PublicDumpFormat, TheSimulatedUnitHoldsAndReadsTheSameBytes) {
  Kit_VirtualClock clock(0);
  Kit_SetTimeSource(&clock);
  SynthSimVirtualScheduler scheduler(clock);
  SynthSim unit(SynthSimSettings{}, scheduler, [](const SynthSim::Message&) {});
  const std::vector<HandValue> values = PerformanceValues();
  for (const HandValue& v : values) ASSERT_TRUE(unit.SetValue(v.param, v.slot, v.value)) << v.param;
  // Its memory holds the data bytes, the dump less its six-byte header.
  Bytes memory(6, 0);
  const Bytes data = unit.PerformanceEditBuffer();
  memory.insert(memory.end(), data.begin(), data.end());
  ExpectBytes(values, memory, "the unit's memory");

  Bytes dump = InitPerformanceBytes();
  Put(values, dump);
  SynthSim fresh(SynthSimSettings{}, scheduler, [](const SynthSim::Message&) {});
  fresh.Receive(dump.data(), dump.size());
  for (const HandValue& v : values) EXPECT_EQ(fresh.Value(v.param, v.slot), v.value) << v.param;
  Kit_SetTimeSource(nullptr);
}

// A performance bank stored before: every value below 16, the byte after it 0.
TEST(PublicDumpFormat, AStoredPerformanceFileLoadsAsItDid) {
  Bytes stored = InitPerformanceBytes();
  // As the file holds them: value, 0 for the single values; values below 16.
  const std::vector<HandValue> old = {
      {"kLFO1Sync", 1, 5, 544, {0x05, 0x00}},
      {"kFilterEnvChannel", 2, 15, 570, {0x0F, 0x00}},
      {"kSystemPitchBendRange", 0, 6, 630, {0x06, 0x00}},
      {"kAfterTouchRcv", 3, 9, 684, {0x09, 0x00}},
      {"kQuickTab", 0, 2, 650, {0x02, 0x00}},
      {"kCurrentBank", 1, 3, 672, {0x03, 0x00}},
      {"kKeyboardSplit", 0, 1, 710, {0x01, 0x00}},
  };
  Put(old, stored);
  Bytes image;
  for (int n = 0; n < 3; ++n) image.insert(image.end(), stored.begin(), stored.end());
  const Bytes loaded = FirstDumpOfFile(image);
  PanelValues panel(kModel);
  ASSERT_TRUE(kPerformance->Parse(loaded.data(), loaded.size(), panel));
  ExpectValues(old, panel, "stored performance");
  // The INIT values the file did not change read as they did, and the panel sends
  // the file's bytes again.
  EXPECT_EQ(panel["kDeviceID"], 4);
  EXPECT_EQ(panel.At("kPartMidiChannel", 2), 3);
  EXPECT_EQ(panel["kSlotABOutMode"], 0);
  EXPECT_EQ(panel["kSlotCDOutMode"], 1);
  const Bytes resent = kPerformance->Build(panel, 0, 2);
  EXPECT_EQ(Bytes(resent.begin() + 6, resent.end()), Bytes(stored.begin() + 6, stored.end()));
}

// A program stored before, whose single values have always been below 16.
TEST(PublicDumpFormat, AStoredProgramFileLoadsAsItDid) {
  Bytes stored = InitProgramBytes();
  const std::vector<HandValue> old = {{"kOsc2Waveform", 0, 3, 108, {0x03, 0x00}},
                                      {"kFilterType", 0, 4, 112, {0x04, 0x00}},
                                      {"kFilterCutoff", 0, 99, 12, {0x03, 0x06}}};
  Put(old, stored);
  const Bytes loaded = FirstDumpOfFile(stored);
  PanelValues panel(kModel);
  ASSERT_EQ(kProgram->Parse(loaded.data(), loaded.size(), panel), 0);
  ExpectValues(old, panel, "stored program");
  const Bytes resent = kProgram->Build(panel, 0, 0);
  EXPECT_EQ(Bytes(resent.begin() + 6, resent.end() - 1), Bytes(stored.begin() + 6, stored.end() - 1));
}

}  // namespace

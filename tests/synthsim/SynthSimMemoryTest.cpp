// The unit's memory file: every place once, as a plain dump, with what the unit
// was sent; and a path that cannot be written says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <unistd.h>

#include "Kit_TimeSource.h"
#include "SynthSimMemoryFile.h"
#include "SynthSimPatches.h"

namespace {
using Message = SynthSim::Message;

Message Dump(int deviceId, uint8_t type, uint8_t number, Message data) {
  data.insert(data.begin(), {0xF0, 0x33, uint8_t(deviceId), 0x04, type, number});
  data.push_back(0xF7);
  return data;
}

std::string HexLine(const Message& bytes) {
  std::string line;
  char pair[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
    line += pair;
  }
  return line;
}

TEST(SynthSimMemory, TheFileHoldsEveryPlaceOnceWithWhatTheUnitWasSent) {
  struct Case {
    int model;
    size_t places;  // 4 edit buffers, the edit performance, programs, performances
  };
  for (const Case c : {Case{1, 5 + 4 * 99 + 100}, Case{2, 5 + 10 * 99 + 4 * 100}}) {
    SCOPED_TRACE(c.model);
    Kit_VirtualClock clock{0};
    Kit_SetTimeSource(&clock);
    SynthSimVirtualScheduler scheduler{clock};
    SynthSimSettings settings;
    settings.deviceId = 5;
    settings.model = c.model;
    SynthSim sim(settings, scheduler, [](const Message&) {});
    const Message stored = Dump(5, 3, 7, Message(132, 0x09));  // bank 2, program 7
    const Message slotD = Dump(5, 0, 3, Message(132, 0x0A));
    const Message performance = Dump(5, 0x1F, 99, Message(708, 0x02));
    for (const Message& m : {stored, slotD, performance}) sim.Receive(m.data(), m.size());

    // Its own name, removed at once: another user's or another run's file is never in the way.
    const std::string path = ::testing::TempDir() + "sim-memory-" + std::to_string(getpid()) + ".txt";
    ASSERT_TRUE(WriteSynthSimMemory(sim, path));
    std::vector<std::string> lines;
    {
      std::ifstream in(path);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), c.places);
    EXPECT_EQ(lines[3], HexLine(slotD));
    EXPECT_EQ(lines[5 + 2 * 99 + 7], HexLine(stored));
    EXPECT_EQ(lines.back().substr(0, 17), c.model == 2 ? "F0 33 05 04 22 63" : "F0 33 05 04 1F 63");
    EXPECT_EQ(lines[5 + 99 + 6], HexLine(Dump(5, 2, 6, SynthSimStoredProgramData(1, 6))));
    EXPECT_NE(SynthSimStoredProgramData(1, 6), SynthSimStoredProgramData(1, 7));
    EXPECT_NE(SynthSimStoredProgramData(1, 6), SynthSimStoredProgramData(2, 6));
    if (c.model == 1) {
      EXPECT_EQ(lines[c.places - 100 + 99], HexLine(performance));
    }
    Kit_SetTimeSource(nullptr);
  }
  Kit_VirtualClock clock{0};
  SynthSimVirtualScheduler scheduler{clock};
  SynthSim sim(SynthSimSettings{}, scheduler, [](const Message&) {});
  EXPECT_FALSE(WriteSynthSimMemory(sim, "/nonexistent-folder/memory.txt"));
}

}  // namespace

// End to end on a private JACK server: the simulated synthesizer records what reaches
// it, the test host chooses both its ports by name on the panel and drags the cutoff
// knobs of slots A and B; the record holds their control changes on channels 1 and 2
// with the values the host prints.
#include <gtest/gtest.h>

#include <sstream>

#include "Framework/IControl.h"
#include "HostStateSupport.h"
#include "JackSimSupport.h"
#include "JackTestServer.h"
#include "RoadTestSupport.h"

namespace {

constexpr const char* kKnobRoadSimName = "Road Sim";

// The centre of slot `slot`'s shown cutoff knob, read from a headless editor.
std::pair<int, int> KnobCentre(int slot) {
  RoadFixture f;
  f.plug->setActiveSlot(slot);
  f.plug->tabSwitch.quickTabSwitch(f.plug.get(), kQuickTab, slot, f.plug->unitLink().nordModel);
  return ShownCentre(f.action(kFilterCutoff + slot));
}

// The last data byte the record holds for status `status`, controller 74; -1 for none.
int LastCutoff(const std::vector<std::string>& record, const std::string& status) {
  int last = -1;
  for (const std::string& line : record)
    if (line.rfind(status + " 4A ", 0) == 0) last = std::stoi(line.substr(6), nullptr, 16);
  return last;
}

TEST(KnobRoadJack, DraggedKnobsOfSlotsAAndBReachTheSynthesizerOnTheirChannels) {
  const auto [ax, ay] = KnobCentre(0);
  const auto [bx, by] = KnobCentre(1);
  ASSERT_GE(ax, 0);
  ASSERT_GE(bx, 0);
  JackTestServer server;
  ASSERT_TRUE(server.Start());
  TempDataRoot data;
  const std::string record = data.root() + "/record.txt";
  {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(kKnobRoadSimName, {"--record", record}, data.root() + "/sim.txt"));
    const std::string script = data.root() + "/knobs.txt";
    std::ofstream(script) << ChoosePorts(kKnobRoadSimName) << Drags(ax, ay) << ClickSlotTab(1) << Drags(bx, by)
                          << "print-param 0\nprint-param 1\n";
    std::string output;
    // The host closes the editor before restoring its state into a fresh one, as a
    // project is closed and reopened: the ports are listed as they were, and the
    // restored editor saves the state it was given.
    EXPECT_EQ(RunTavroHost(data.root(), script, &output), 0) << output;
    int a = -1, b = -1;
    std::istringstream printed(output);
    for (std::string line; std::getline(printed, line);) {
      std::sscanf(line.c_str(), "param 0 = %d", &a);
      std::sscanf(line.c_str(), "param 1 = %d", &b);
    }
    ASSERT_GE(a, 0) << output;
    ASSERT_GE(b, 0) << output;
    EXPECT_TRUE(SimProcess::WaitFor([&] {
      const std::vector<std::string> lines = SimProcess::Lines(record);
      return LastCutoff(lines, "B0") == a && LastCutoff(lines, "B1") == b;
    })) << "host printed "
        << a << ", " << b << "; the record holds B0 " << LastCutoff(SimProcess::Lines(record), "B0") << ", B1 "
        << LastCutoff(SimProcess::Lines(record), "B1");
  }
  server.Stop();
}

}  // namespace

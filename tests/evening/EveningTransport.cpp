// Stage 7 of the evening: the host's transport plays ten seconds at 120 BPM with the
// MIDI clock on; the unit hears one Start, a beat's 24 Clocks twenty times over, one Stop.
#include "EveningSupport.h"
#include "JackClockSupport.h"

void EveningTransport(Evening& evening) {
  // Clocks counted against the script's ten seconds: other runs' load would add some.
  const JackQuietTiming quiet(evening.server());
  const size_t from = evening.Received().size();
  std::string output;
  // The exit status also covers the host's state round trip after the script.
  evening.Run("transport.txt",
              ChoosePorts(Evening::kSimName) + ClockSwitchesOn() + PlayTenSecondsAt120() + ClockOff() + "render 1\n",
              &output, {"--transport", "stop"});
  EXPECT_EQ(output.find("tavro-host: panel:"), std::string::npos) << output;
  const bool stopped = SimProcess::WaitFor([&] { return ClockRecord(evening.Received(from)).stops > 0; });
  const ClockRecord clock(evening.Received(from));
  ASSERT_TRUE(stopped) << clock.starts << " Start(s), " << clock.clocksWhilePlaying << " Clocks, no Stop; the host:\n"
                       << output;
  EXPECT_EQ(clock.starts, 1);
  EXPECT_EQ(clock.stops, 1);
  // 24 a beat, 2 beats a second: 480, give or take the script's own steps.
  EXPECT_NEAR(clock.clocksWhilePlaying, 480, 10) << "reported lost: " << ReportedLost(output) << "; the host:\n"
                                                 << output;
}

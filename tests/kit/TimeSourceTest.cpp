#include "Kit_TimeSource.h"
#include "winemu/WinEmu_Time.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kMicrosPerMs = 1000;

// Installs a virtual clock for one test and removes it after.
class VirtualTime : public ::testing::Test {
protected:
  void Use(uint64_t startMicros) {
    clock_ = std::make_unique<Kit_VirtualClock>(startMicros);
    Kit_SetTimeSource(clock_.get());
  }
  void SetUp() override { Use(0); }
  void TearDown() override { Kit_SetTimeSource(nullptr); }
  Kit_VirtualClock& Clock() { return *clock_; }

private:
  std::unique_ptr<Kit_VirtualClock> clock_;
};

}  // namespace

TEST_F(VirtualTime, SleepAdvancesTheClockAtOnce) {
  const uint32_t before = GetTickCount();
  Sleep(250);
  EXPECT_EQ(GetTickCount() - before, 250u);
  EXPECT_EQ(Clock().NowMicros(), 250 * kMicrosPerMs);
}

TEST_F(VirtualTime, SleepOfZeroOrLessPausesAHundredMicroseconds) {
  Sleep(0);
  EXPECT_EQ(Clock().NowMicros(), 100u);
  Sleep(-5);
  EXPECT_EQ(Clock().NowMicros(), 200u);
}

TEST_F(VirtualTime, TickCountWrapsAsAnUnsigned32BitCounter) {
  const uint64_t wrapMs = uint64_t(1) << 32;
  Use((wrapMs - 5) * kMicrosPerMs);
  const uint32_t before = GetTickCount();
  EXPECT_EQ(before, 0xFFFFFFFBu);
  Sleep(10);
  const uint32_t after = GetTickCount();
  EXPECT_EQ(after, 5u);
  EXPECT_LT(after, before);
  EXPECT_EQ(Kit_TicksElapsed(after, before), 10u);
  EXPECT_TRUE(Kit_TicksAtLeast(after, before, 10));
  EXPECT_FALSE(Kit_TicksAtLeast(after, before, 11));
  EXPECT_EQ(TicksSince(before), 10u);
}

TEST_F(VirtualTime, ScheduledActionsRunInTimeOrderDuringAPause) {
  std::vector<std::string> ran;
  Clock().ScheduleAt(3000, [&] { ran.push_back("3ms@" + std::to_string(GetTickCount())); });
  Clock().ScheduleAt(1000, [&] { ran.push_back("1ms@" + std::to_string(GetTickCount())); });
  Clock().ScheduleAt(9000, [&] { ran.push_back("late"); });
  Sleep(5);
  EXPECT_EQ(ran, (std::vector<std::string>{"1ms@1", "3ms@3"}));
  EXPECT_EQ(GetTickCount(), 5u);
  Sleep(4);
  EXPECT_EQ(ran.back(), "late");
}

TEST_F(VirtualTime, ActionsMayScheduleFurtherActionsThatFallInTheSamePause) {
  std::vector<uint64_t> times;
  Clock().ScheduleIn(1000, [&] {
    times.push_back(Clock().NowMicros());
    Clock().ScheduleIn(500, [&] { times.push_back(Clock().NowMicros()); });
  });
  Sleep(2);
  EXPECT_EQ(times, (std::vector<uint64_t>{1000, 1500}));
}

TEST_F(VirtualTime, AnActionMayPauseItself) {
  std::vector<uint64_t> times;
  Clock().ScheduleIn(1000, [&] {
    Sleep(3);
    times.push_back(Clock().NowMicros());
  });
  Clock().ScheduleIn(2000, [&] { times.push_back(Clock().NowMicros()); });
  Sleep(1);
  // The inner pause ran the second action before the first finished.
  EXPECT_EQ(times, (std::vector<uint64_t>{2000, 4000}));
}

TEST_F(VirtualTime, CancelledActionsNeverRun) {
  bool ran = false;
  const int id = Clock().ScheduleIn(100, [&] { ran = true; });
  Clock().Cancel(id);
  Clock().Advance(1000);
  EXPECT_FALSE(ran);
}

TEST_F(VirtualTime, TimeNeverGoesBackForAnOverdueAction) {
  Clock().Advance(5000);
  uint64_t seen = 0;
  Clock().ScheduleAt(1000, [&] { seen = Clock().NowMicros(); });
  Clock().Advance(1);
  EXPECT_EQ(seen, 5000u);
}

TEST_F(VirtualTime, SleepingToDeadlinesKeepsThePaceWhateverEachRoundTook) {
  const uint64_t start = 7000;
  Use(start);
  const uint64_t work[] = {3000, 0, 9999, 10, 4000};
  uint64_t deadline = start;
  for (uint64_t took : work) {
    if (took) Clock().SleepMicros(took);
    deadline += 10000;
    Clock().SleepUntilMicros(deadline);
    EXPECT_EQ(Clock().NowMicros(), deadline);
  }
  // A deadline already passed returns at once, moving nothing.
  Clock().SleepUntilMicros(start);
  EXPECT_EQ(Clock().NowMicros(), start + 50000);
}

TEST_F(VirtualTime, AStopEndsAWaitWhereItCameAndARaisedOneEndsItAtOnce) {
  Kit_StopSignal stop;
  EXPECT_TRUE(Clock().WaitMicros(300, stop));
  EXPECT_EQ(Clock().NowMicros(), 300u);
  Clock().ScheduleAt(500, [&] { stop.RequestStop(); });
  EXPECT_FALSE(Clock().WaitUntilMicros(1000, stop));
  EXPECT_EQ(Clock().NowMicros(), 500u);
  EXPECT_FALSE(Kit_Time().WaitMicros(1000, stop));
  EXPECT_EQ(Clock().NowMicros(), 500u);
}

// Virtual time whose wall clock can be set apart from the steady one, as a user or a
// time server sets the system clock.
class SteppedWallClock : public Kit_VirtualClock {
public:
  using Kit_VirtualClock::Kit_VirtualClock;
  uint64_t MicrosSinceEpoch() override { return NowMicros() + wallOffset; }
  uint64_t wallOffset = 0;
};

// Setting the wall clock back an hour or on a day moves no tick: light switch-offs and
// time-outs measured in ticks keep their length.
TEST(SteppedWall, TickCountFollowsOnlyTheTimeThatPassed) {
  SteppedWallClock clock(1700000000ull * 1000000);  // a wall time of 2023
  Kit_SetTimeSource(&clock);
  const uint32_t start = GetTickCount();
  const struct {
    const char* what;
    int64_t stepMicros;
  } steps[] = {{"an hour back", -3600ll * 1000000}, {"a day on", 86400ll * 1000000}, {"a minute back", -60000000}};
  uint32_t expected = 0;
  for (const auto& step : steps) {
    clock.wallOffset += uint64_t(step.stepMicros);
    EXPECT_EQ(Kit_TicksElapsed(GetTickCount(), start), expected) << step.what;
    Sleep(100);
    expected += 100;
    EXPECT_EQ(Kit_TicksElapsed(GetTickCount(), start), expected) << step.what;
    EXPECT_TRUE(Kit_TicksAtLeast(GetTickCount(), start, expected)) << step.what;
    EXPECT_FALSE(Kit_TicksAtLeast(GetTickCount(), start, expected + 1)) << step.what;
  }
  EXPECT_NE(Kit_Time().MicrosSinceEpoch(), Kit_Time().NowMicros()) << "the wall did move apart";
  Kit_SetTimeSource(nullptr);
}

TEST(RealTime, SleepAndTickCountFollowTheWall) {
  Kit_SetTimeSource(nullptr);
  const uint32_t before = GetTickCount();
  Sleep(20);
  // Generous bounds: only that it moved forward and not absurdly far.
  EXPECT_GE(Kit_TicksElapsed(GetTickCount(), before), 20u);
  EXPECT_LT(Kit_TicksElapsed(GetTickCount(), before), 60000u);
}

TEST(WrapSafeTicks, ElapsedIsTheUnsignedDifference) {
  EXPECT_EQ(Kit_TicksElapsed(100, 40), 60u);
  EXPECT_EQ(Kit_TicksElapsed(3, 0xFFFFFFFEu), 5u);
  EXPECT_TRUE(Kit_TicksAtLeast(3, 0xFFFFFFFEu, 5));
  EXPECT_FALSE(Kit_TicksAtLeast(3, 0xFFFFFFFEu, 6));
}

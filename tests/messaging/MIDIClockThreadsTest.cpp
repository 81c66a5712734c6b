// The clock loop on virtual time: Clocks on their grid, the tempo wait, switch-off,
// restarts, a missing port and two objects side by side.

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <atomic>
#include <thread>

#include "RecordingClockLink.h"
#include "messaging/MIDIClockOutput.h"

namespace {

constexpr uint64_t kSecond = 1000000;

// Tests stop time between two Clocks: a Clock due with the test's own deadline could
// land either side of what the test reads next.
//
// Installs a virtual clock for the test's life and keeps its time still while the
// test thread works; members end in reverse, so the clocks' loops end first.
class MIDIClockThreads : public ::testing::Test {
protected:
  struct Installed {
    explicit Installed(Kit_VirtualClock& clock) { Kit_SetTimeSource(&clock); }
    ~Installed() { Kit_SetTimeSource(nullptr); }
  };

  // Switches the clock on and starts the loop, as the switch and the next render tick do.
  static void SwitchOn(RecordingClockLink& link, MIDIClockOutput& output) {
    link.clockInfo = true;
    output.StartContinuousClock();
  }
  // The switch going off, as its handler does.
  static void SwitchOff(RecordingClockLink& link, MIDIClockOutput& output) {
    link.clockInfo = false;
    output.StopContinuousClock();
  }

  Kit_VirtualClock clock{5 * kSecond};
  Installed installed{clock};
  Kit_VirtualClock::Participant testThread{clock};
  RecordingClockLink link;
  MIDIClockOutput output{link};
};

// Each Clock n lies n intervals after the first, rounded up to the next microsecond.
void ExpectOnGrid(const std::vector<uint64_t>& times, size_t count, int tempo) {
  ASSERT_GE(times.size(), count) << tempo << " BPM";
  const uint64_t interval = uint64_t(MIDIClockOutput::ClockInterval(tempo));
  for (size_t n = 0; n < count; ++n)
    ASSERT_EQ(times[n] - times[0], (n * interval + 999) / 1000) << tempo << " BPM, Clock " << n;
}

TEST_F(MIDIClockThreads, TenThousandClocksStayOnTheirGrid) {
  for (int tempo : {120, 60, 2, 1}) {
    RecordingClockLink tempoLink;
    tempoLink.tempo = tempo;
    MIDIClockOutput tempoOutput(tempoLink);
    const uint64_t start = clock.NowMicros();
    SwitchOn(tempoLink, tempoOutput);
    // Just past Clock 9999's deadline.
    clock.Advance((uint64_t(MIDIClockOutput::ClockInterval(tempo)) * 9999 + 999) / 1000 + 1);
    const std::vector<uint64_t> times = tempoLink.ClockTimes();
    ASSERT_EQ(times.size(), 10000u) << tempo << " BPM";
    EXPECT_EQ(times[0], start) << "the first Clock goes at once";
    ExpectOnGrid(times, times.size(), tempo);
  }
}

// Virtual time that counts, for every thread but the test's, its waits and its clock
// reads. A thread reading the clock over and over without a wait is spinning; that
// is recorded, and the thread is then let pause a microsecond so that time still moves.
class CountingClock : public Kit_VirtualClock {
public:
  using Kit_VirtualClock::Kit_VirtualClock;
  uint64_t NowMicros() override {
    if (std::this_thread::get_id() != testThread_) {
      ++reads_;
      if (++readsSinceWait() > kSpinReads) {
        spun_ = true;
        readsSinceWait() = 0;
        Kit_VirtualClock::SleepMicros(1);
      }
    }
    return Kit_VirtualClock::NowMicros();
  }
  void SleepMicros(uint64_t micros) override {
    Counted();
    Kit_VirtualClock::SleepMicros(micros);
  }
  void SleepUntilMicros(uint64_t deadlineMicros) override {
    Counted();
    Kit_VirtualClock::SleepUntilMicros(deadlineMicros);
  }
  bool WaitUntilMicros(uint64_t deadlineMicros, Kit_StopSignal& stop) override {
    Counted();
    return Kit_VirtualClock::WaitUntilMicros(deadlineMicros, stop);
  }
  uint64_t Waits() const { return waits_; }
  uint64_t Reads() const { return reads_; }
  bool Spun() const { return spun_; }

private:
  static constexpr int kSpinReads = 100;
  static int& readsSinceWait() {
    thread_local int reads = 0;
    return reads;
  }
  void Counted() {
    if (std::this_thread::get_id() == testThread_) return;
    ++waits_;
    readsSinceWait() = 0;
  }
  const std::thread::id testThread_ = std::this_thread::get_id();
  std::atomic<uint64_t> waits_{0}, reads_{0};
  std::atomic<bool> spun_{false};
};

// The loop sleeps to each Clock's deadline: one wait and a few clock reads per
// Clock, however far apart the Clocks lie, and no run of reads without a wait.
TEST(MIDIClockPacing, TheLoopWaitsForEachClockRatherThanSpinning) {
  for (int tempo : {300, 120, 20}) {
    CountingClock clock(5 * kSecond);
    Kit_SetTimeSource(&clock);
    {
      Kit_VirtualClock::Participant testThread(clock);
      RecordingClockLink link;
      link.tempo = tempo;
      MIDIClockOutput output(link);
      link.clockInfo = true;
      output.StartContinuousClock();
      clock.Advance((uint64_t(MIDIClockOutput::ClockInterval(tempo)) * 999 + 999) / 1000 + 1);
      const size_t clocks = link.ClockTimes().size();
      EXPECT_EQ(clocks, 1000u) << tempo << " BPM";
      EXPECT_FALSE(clock.Spun()) << tempo << " BPM";
      EXPECT_LE(clock.Waits(), clocks + 2) << tempo << " BPM";
      EXPECT_GE(clock.Waits(), clocks - 1) << tempo << " BPM";
      EXPECT_LE(clock.Reads(), 8 * clocks + 8) << tempo << " BPM";
      link.clockInfo = false;
      output.StopContinuousClock();
    }
    Kit_SetTimeSource(nullptr);
  }
}

TEST_F(MIDIClockThreads, NoTempoPollsTenTimesThenGivesUp) {
  link.tempo = 0;
  const uint64_t start = clock.NowMicros();
  SwitchOn(link, output);
  clock.Advance(10 * kSecond - 1);
  EXPECT_TRUE(link.Missing().empty());
  clock.Advance(60 * kSecond);
  std::vector<uint64_t> expectedReads;
  for (uint64_t poll = 0; poll <= 10; ++poll) expectedReads.push_back(start + poll * kSecond);
  EXPECT_EQ(link.TempoReads(), expectedReads);
  EXPECT_EQ(link.Missing(), std::vector<std::string>{"Unable to get DAW Tempo"});
  EXPECT_FALSE(link.clockInfo);
  EXPECT_FALSE(output.LoopRunning());
  EXPECT_TRUE(link.SentBytes().empty());

  // The next render tick starts nothing while the switch stays off.
  link.tempo = 120;
  output.StartContinuousClock();
  clock.Advance(kSecond);
  EXPECT_TRUE(link.SentBytes().empty());
}

TEST_F(MIDIClockThreads, ATempoArrivingDuringThePollsStartsTheClock) {
  link.tempo = 0;
  const uint64_t start = clock.NowMicros();
  SwitchOn(link, output);
  clock.Advance(3 * kSecond + kSecond / 2);
  link.tempo = 120;
  clock.Advance(kSecond);
  const std::vector<uint64_t> times = link.ClockTimes();
  ASSERT_FALSE(times.empty());
  EXPECT_EQ(times[0], start + 4 * kSecond);
  ExpectOnGrid(times, times.size(), 120);
  EXPECT_TRUE(link.Missing().empty());
}

TEST_F(MIDIClockThreads, SwitchOffEndsTheLoopAsleepOrPolling) {
  struct Case {
    const char* when;
    int tempo;
    uint64_t runFor;
    size_t clocksBefore;
  };
  for (const Case& c : {Case{"asleep", 2, 2 * kSecond, 2}, Case{"polling", 0, 3 * kSecond + 5, 0}}) {
    RecordingClockLink caseLink;
    caseLink.tempo = c.tempo;
    MIDIClockOutput caseOutput(caseLink);
    SwitchOn(caseLink, caseOutput);
    clock.Advance(c.runFor);
    SwitchOff(caseLink, caseOutput);
    clock.Advance(1);  // long before the next Clock or poll would wake it
    EXPECT_FALSE(caseOutput.LoopRunning()) << c.when << ": the switch-off ended the wait";
    caseLink.tempo = 120;  // a tempo now must not revive the loop
    clock.Advance(kSecond);
    EXPECT_FALSE(caseOutput.LoopRunning()) << c.when;
    caseOutput.StartContinuousClock();  // the next render tick
    clock.Advance(20 * kSecond);
    EXPECT_EQ(caseLink.ClockTimes().size(), c.clocksBefore) << c.when;
    EXPECT_TRUE(caseLink.Missing().empty()) << c.when;
  }
}

TEST_F(MIDIClockThreads, SwitchingBackOnStartsOneFreshStream) {
  SwitchOn(link, output);
  clock.Advance(kSecond / 2 + 5000);  // between two Clocks of the first run
  SwitchOff(link, output);
  link.clockInfo = true;
  const uint64_t restart = clock.NowMicros();
  output.StartContinuousClock();
  output.StartContinuousClock();  // a second tick while the run goes on changes nothing
  clock.Advance(kSecond - 1000);
  std::vector<uint64_t> after;
  for (uint64_t t : link.ClockTimes())
    if (t >= restart) after.push_back(t);
  ASSERT_EQ(after.size(), 48u);
  EXPECT_EQ(after[0], restart);
  ExpectOnGrid(after, after.size(), 120);
}

// A port whose third send first takes `stallMicros`: a loop starved past deadlines.
struct StallingPort : RecordingClockLink {
  explicit StallingPort(uint64_t stall) : stallMicros(stall) {}
  bool SendRealTime(uint8_t byte) override {
    if (++sends == 3) Kit_Time().SleepMicros(stallMicros);
    return RecordingClockLink::SendRealTime(byte);
  }
  uint64_t stallMicros;
  int sends = 0;
};

TEST_F(MIDIClockThreads, AStallOfMoreThanABeatGivesOneClockAndANewGrid) {
  StallingPort slow(3 * kSecond);
  MIDIClockOutput stalled(slow);
  SwitchOn(slow, stalled);
  clock.Advance(4 * kSecond);
  const std::vector<uint64_t> times = slow.ClockTimes();
  ASSERT_GE(times.size(), 5u);
  const uint64_t interval = uint64_t(MIDIClockOutput::ClockInterval(120));
  EXPECT_EQ(times[2] - times[0], 3 * kSecond + (2 * interval + 999) / 1000) << "one late Clock, no burst";
  std::vector<uint64_t> afterStall(times.begin() + 2, times.end());
  ExpectOnGrid(afterStall, afterStall.size(), 120);
}

TEST_F(MIDIClockThreads, AStallShorterThanABeatSendsTheMissedClocksAtOnceAndKeepsTheGrid) {
  // 70 ms at 120 BPM: Clock 2 goes late, and the deadlines of 3, 4 and 5 pass meanwhile.
  StallingPort slow(70 * 1000);
  MIDIClockOutput stalled(slow);
  SwitchOn(slow, stalled);
  clock.Advance(kSecond);
  const std::vector<uint64_t> times = slow.ClockTimes();
  ASSERT_GE(times.size(), 48u) << "as many Clocks as without the stall";
  const uint64_t interval = uint64_t(MIDIClockOutput::ClockInterval(120));
  EXPECT_EQ(times[2] - times[0], 70 * 1000 + (2 * interval + 999) / 1000);
  for (size_t k : {3, 4, 5}) EXPECT_EQ(times[k], times[2]) << "missed Clock " << k << " goes at once";
  for (size_t k = 6; k < times.size(); ++k)
    ASSERT_EQ(times[k] - times[0], (k * interval + 999) / 1000) << "Clock " << k << " on the first grid";
}

// Clocks from `first` on lie on a grid of `tempo` starting at `gridStartNanos`
// (nanoseconds after `start`), Clock `first` being its point 0.
void ExpectOnGridFrom(const std::vector<uint64_t>& times, uint64_t start, size_t first, uint64_t gridStartNanos,
                      int tempo) {
  const uint64_t interval = uint64_t(MIDIClockOutput::ClockInterval(tempo));
  for (size_t k = first; k < times.size(); ++k)
    ASSERT_EQ(times[k] - start, (gridStartNanos + (k - first) * interval + 999) / 1000) << tempo << " BPM, Clock " << k;
}

TEST_F(MIDIClockThreads, ATempoChangePacesTheClocksAfterTheNextOnANewGrid) {
  const uint64_t start = clock.NowMicros();
  SwitchOn(link, output);
  const uint64_t at120 = uint64_t(MIDIClockOutput::ClockInterval(120));
  // Just past Clock 47's deadline: it has gone and read the tempo (still 120).
  clock.Advance((47 * at120 + 999) / 1000 + 1);
  ASSERT_EQ(link.ClockTimes().size(), 48u);
  link.tempo = 60;
  clock.Advance(3 * kSecond);
  const std::vector<uint64_t> times = link.ClockTimes();
  ASSERT_GT(times.size(), 48u + 24u);
  ExpectOnGrid(std::vector<uint64_t>(times.begin(), times.begin() + 49), 49, 120);
  // Clock 48 was due at the old pace; from its deadline on the Clocks go at 60 BPM,
  // within a beat of the change and without drift.
  ExpectOnGridFrom(times, start, 48, 48 * at120, 60);
  size_t inTheSecondAfter = 0;
  for (uint64_t t : times) inTheSecondAfter += t >= times[48] && t < times[48] + kSecond;
  EXPECT_EQ(inTheSecondAfter, 24u) << "48 Clocks a second halved";
}

TEST_F(MIDIClockThreads, ATempoOfZeroForAMomentKeepsThePace) {
  SwitchOn(link, output);
  clock.Advance(kSecond / 4);
  link.tempo = 0;
  clock.Advance(kSecond / 2);
  link.tempo = 120;
  clock.Advance(kSecond / 4 - 1000);
  const std::vector<uint64_t> times = link.ClockTimes();
  ASSERT_EQ(times.size(), 48u);
  ExpectOnGrid(times, times.size(), 120);
}

TEST_F(MIDIClockThreads, TheClockThreadWakesWithoutTimerSlack) {
  struct SlackPort : RecordingClockLink {
    bool SendRealTime(uint8_t byte) override {
      slack = prctl(PR_GET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);
      return RecordingClockLink::SendRealTime(byte);
    }
    std::atomic<long> slack{-1};
  } port;
  MIDIClockOutput slackOutput(port);
  SwitchOn(port, slackOutput);
  clock.Advance(kSecond / 10);
  EXPECT_EQ(port.slack.load(), 1) << "nanoseconds";
}

TEST_F(MIDIClockThreads, NoPortEndsTheLoop) {
  SwitchOn(link, output);
  clock.Advance(kSecond / 10);
  link.portOpen = false;
  clock.Advance(kSecond / 10);
  EXPECT_FALSE(output.LoopRunning());
  link.portOpen = true;
  const size_t sentBefore = link.ClockTimes().size();
  clock.Advance(kSecond);
  EXPECT_EQ(link.ClockTimes().size(), sentBefore);
  output.StartContinuousClock();  // the next render tick with a port again
  clock.Advance(kSecond - 1000);
  EXPECT_EQ(link.ClockTimes().size(), sentBefore + 48);
}

// The port chosen but its connection cut (a patchbay, a unit that left): the refused
// Clocks are skipped, the loop keeps its grid and the Clocks reach the port again
// once it takes them.
TEST_F(MIDIClockThreads, RefusedClocksAreSkippedAndTheClockGoesOnWhenThePortTakesThemAgain) {
  SwitchOn(link, output);
  clock.Advance(kSecond / 2 - 1000);
  EXPECT_EQ(link.ClockTimes().size(), 24u);
  link.refusing = true;
  clock.Advance(kSecond);
  EXPECT_TRUE(output.LoopRunning());
  EXPECT_EQ(link.ClockTimes().size(), 24u);
  link.refusing = false;
  clock.Advance(kSecond / 2);
  const auto times = link.ClockTimes();
  ASSERT_EQ(times.size(), 48u);
  // The grid kept: the first Clock taken again is Clock 72's, at its deadline.
  const uint64_t interval = uint64_t(MIDIClockOutput::ClockInterval(120));
  EXPECT_EQ(times[24] - times[0], (72 * interval + 999) / 1000);
}

// The connection cut and made again (a patchbay) while the host plays: the unit hears
// Start before the first Clock that reaches it again, and only once.
TEST_F(MIDIClockThreads, AUnitReachedAgainWhilePlayingHearsStartBeforeItsClocks) {
  output.startMIDIClockOutput();
  SwitchOn(link, output);
  clock.Advance(kSecond / 2 - 1000);
  link.refusing = true;
  clock.Advance(kSecond);
  EXPECT_TRUE(output.UnitBehindHost());
  link.refusing = false;
  clock.Advance(kSecond / 2);
  const std::vector<RecordingClockLink::Sent> sent = link.SentBytes();
  ASSERT_EQ(sent.size(), 1u + 24u + 1u + 24u);
  EXPECT_EQ(sent[0].byte, kMidiStart);
  EXPECT_EQ(sent[25].byte, kMidiStart) << "told before the first Clock it hears again";
  EXPECT_EQ(sent[26].byte, kMidiClock);
  EXPECT_EQ(sent[25].micros, sent[26].micros);
  EXPECT_EQ(link.Edges(), (std::vector<uint8_t>{kMidiStart, kMidiStart}));
  EXPECT_FALSE(output.UnitBehindHost());
}

// The connection cut and made again between two Clocks, none refused: the unit
// reached again hears Start before the next Clock all the same.
TEST_F(MIDIClockThreads, AUnitBackFromOutsideBetweenTwoClocksHearsStartBeforeTheNext) {
  output.startMIDIClockOutput();
  SwitchOn(link, output);
  clock.Advance(kSecond / 2 - 1000);
  ++link.unit;
  clock.Advance(kSecond / 2);
  const std::vector<RecordingClockLink::Sent> sent = link.SentBytes();
  ASSERT_EQ(sent.size(), 1u + 24u + 1u + 24u);
  EXPECT_EQ(sent[25].byte, kMidiStart);
  EXPECT_EQ(link.Edges(), (std::vector<uint8_t>{kMidiStart, kMidiStart}));
  EXPECT_FALSE(output.UnitBehindHost());
}

TEST_F(MIDIClockThreads, TwoObjectsKeepTheirOwnClocks) {
  RecordingClockLink otherLink;
  otherLink.tempo = 60;
  MIDIClockOutput other(otherLink);
  SwitchOn(link, output);
  SwitchOn(otherLink, other);
  clock.Advance(kSecond - 1000);
  SwitchOff(link, output);
  clock.Advance(2 * kSecond);
  EXPECT_EQ(link.ClockTimes().size(), 48u);
  const std::vector<uint64_t> otherTimes = otherLink.ClockTimes();
  EXPECT_EQ(otherTimes.size(), 72u);
  ExpectOnGrid(otherTimes, otherTimes.size(), 60);
  EXPECT_TRUE(other.LoopRunning());
}

}  // namespace

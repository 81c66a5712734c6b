// What the unit is told of the host transport: each edge once, the host's state at
// the end, and the state again for a unit that was away or is reached anew.

#include <gtest/gtest.h>

#include "RecordingClockLink.h"
#include "messaging/MIDIClockOutput.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Edges : ::testing::Test {
  // The jobs as the transport's edges start them: true for Start.
  void Host(std::initializer_list<bool> edges) {
    for (bool start : edges) start ? output.startMIDIClockOutput() : output.stopMIDIClockOutput();
  }
  RecordingClockLink link;
  MIDIClockOutput output{link};
};

TEST_F(Edges, TheUnitHearsNoEdgeTwiceInARowAndEndsInTheHostsState) {
  Host({false, true, true, false, false, true, false, true, true});
  EXPECT_EQ(link.Edges(), (Bytes{kMidiStart, kMidiStop, kMidiStart, kMidiStop, kMidiStart}));
  EXPECT_FALSE(output.UnitBehindHost());
}

TEST_F(Edges, WithThePointerSwitchOffNothingIsToldNorOwed) {
  link.clockPointer = false;
  Host({true, false, true});
  EXPECT_TRUE(link.Edges().empty());
  EXPECT_FALSE(output.UnitBehindHost());
}

// Edges made while the port refuses (the connection cut) are not sent at the
// reconnection: the host's state is, once.
TEST_F(Edges, AUnitAwayHearsTheHostsStateWhenItIsBack) {
  struct Case {
    const char* what;
    std::initializer_list<bool> whileAway;
    Bytes told;
  };
  for (const Case& c : {Case{"stopped meanwhile", {false}, {kMidiStart, kMidiStop}},
                        Case{"stopped and played again", {false, true}, {kMidiStart, kMidiStart}},
                        Case{"played and stopped again", {false, true, false}, {kMidiStart, kMidiStop}}}) {
    RecordingClockLink away;
    MIDIClockOutput unit(away);
    unit.startMIDIClockOutput();
    away.refusing = true;
    for (bool start : c.whileAway) start ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    EXPECT_TRUE(unit.UnitBehindHost()) << c.what;
    EXPECT_EQ(away.Edges(), Bytes{kMidiStart}) << c.what;
    away.refusing = false;
    // The tick asks again with the host's state.
    c.told.back() == kMidiStart ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    EXPECT_EQ(away.Edges(), c.told) << c.what;
    EXPECT_FALSE(unit.UnitBehindHost()) << c.what;
  }
}

// A unit away whose connection the edge itself finds back (before the server's notice
// of it): the unit then there has heard the host's state, and is not told it again.
TEST_F(Edges, AUnitFoundBackByItsEdgeHearsItOnce) {
  Host({true});
  link.refusing = true;
  Host({false, true});
  ASSERT_TRUE(output.UnitBehindHost());
  link.refusing = false;
  link.returnInNextEdge = true;
  Host({true, true});
  EXPECT_EQ(link.Edges(), (Bytes{kMidiStart, kMidiStart}));
  EXPECT_FALSE(output.UnitBehindHost());
}

// The port chosen again: the unit that stayed is not told again; a unit reached anew
// after one that may run hears the host's state, Stop included; a unit reached anew
// after one told nothing or Stop is not told Stop.
TEST_F(Edges, APortChosenAgainTellsOnlyAUnitThatMayNotKnow) {
  struct Case {
    const char* what;
    std::initializer_list<bool> before;
    bool anew, playing;
    Bytes told;
  };
  for (const Case& c : {Case{"same unit playing", {true}, false, true, {kMidiStart}},
                        Case{"same unit stopped", {true, false}, false, false, {kMidiStart, kMidiStop}},
                        Case{"new unit playing", {true}, true, true, {kMidiStart, kMidiStart}},
                        Case{"new unit after a stop", {true, false}, true, false, {kMidiStart, kMidiStop}},
                        Case{"new unit stopped after a run", {true}, true, false, {kMidiStart, kMidiStop}},
                        Case{"new unit, nothing told", {}, true, false, {}}}) {
    RecordingClockLink chosen;
    MIDIClockOutput unit(chosen);
    for (bool start : c.before) start ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    if (c.anew) ++chosen.unit;
    c.playing ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    EXPECT_EQ(chosen.Edges(), c.told) << c.what;
  }
}

// The output's connection came back from outside, the port still chosen (another
// unit, or the same one restarted): with the pointer switch on the unit is behind
// until the tick's job tells it the host's state, a Start again for a unit that may
// run, nothing for one told Stop; then it is told nothing twice.
TEST_F(Edges, AConnectionBackFromOutsideTellsTheUnitOnlyWhatItMayNotKnow) {
  struct Case {
    const char* what;
    std::initializer_list<bool> before;
    bool pointer, behind;
    Bytes told;
  };
  for (const Case& c :
       {Case{"playing", {true}, true, true, {kMidiStart, kMidiStart}},
        Case{"stopped", {true, false}, true, true, {kMidiStart, kMidiStop}}, Case{"no edge yet", {}, true, false, {}},
        Case{"pointer switch off", {true}, false, false, {}}}) {
    RecordingClockLink back;
    back.clockPointer = c.pointer;
    MIDIClockOutput unit(back);
    for (bool start : c.before) start ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    ++back.unit;
    EXPECT_EQ(unit.UnitBehindHost(), c.behind) << c.what;
    const bool playing = c.before.size() == 1;
    for (int job = 0; job < 2; ++job) playing ? unit.startMIDIClockOutput() : unit.stopMIDIClockOutput();
    EXPECT_EQ(back.Edges(), c.told) << c.what;
    EXPECT_FALSE(unit.UnitBehindHost()) << c.what;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include "Framework/MidiPortNameMatch.h"

namespace {
const std::vector<std::string> kAlsaNames = {
    "OFF",
    "Midi Through:Midi Through Port-0 14:0",
    "Vudidi Nord USB Interface:Vudidi Nord USB Interface MIDI 1 24:0",
    "Nord Sim-out:midi",
};
}

TEST(MidiPortNameMatch, ExactNameWins) {
  EXPECT_EQ(MidiPortFindName(kAlsaNames, "Nord Sim-out:midi"), 3);
  EXPECT_EQ(MidiPortFindName(kAlsaNames, "OFF"), 0);
}

TEST(MidiPortNameMatch, NameCutTo32CharactersFindsTheOnePortStartingWithIt) {
  const std::string stored = kAlsaNames[2].substr(0, 32);
  EXPECT_EQ(MidiPortFindName(kAlsaNames, stored), 2);
}

TEST(MidiPortNameMatch, ShorterCutIsNotTakenAsAStoredName) {
  EXPECT_EQ(MidiPortFindName(kAlsaNames, kAlsaNames[2].substr(0, 31)), -1);
}

TEST(MidiPortNameMatch, AmbiguousCutNameMatchesNothing) {
  const std::string common(32, 'x');
  const std::vector<std::string> names = {"OFF", common + " one", common + " two"};
  EXPECT_EQ(MidiPortFindName(names, common), -1);
}

TEST(MidiPortNameMatch, AlsaNameWithOtherClientNumbersMatches) {
  EXPECT_EQ(MidiPortFindName(kAlsaNames, "Midi Through:Midi Through Port-0 128:3"), 1);
}

TEST(MidiPortNameMatch, EmptyOrUnknownNameMatchesNothing) {
  const std::vector<std::string> withUnreadable = {"OFF", ""};
  EXPECT_EQ(MidiPortFindName(withUnreadable, ""), -1);
  EXPECT_EQ(MidiPortFindName(kAlsaNames, "Some Other Synth 20:0"), -1);
}

TEST(MidiPortNameMatch, StripsOnlyATrailingNumberPair) {
  EXPECT_EQ(MidiPortWithoutAlsaNumbers("A:B 24:0"), "A:B");
  EXPECT_EQ(MidiPortWithoutAlsaNumbers("A:B 24:"), "A:B 24:");
  EXPECT_EQ(MidiPortWithoutAlsaNumbers("A:B24:0"), "A:B24:0");
  EXPECT_EQ(MidiPortWithoutAlsaNumbers("Nord Sim-out:midi"), "Nord Sim-out:midi");
  EXPECT_EQ(MidiPortWithoutAlsaNumbers(" 1:2"), "");
}

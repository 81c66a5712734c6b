// Host messages to part slots and keyboard zones.
#include <gtest/gtest.h>

#include <string>

#include "editor/midi/MidiRouting.h"

namespace {

MidiRoutingState Linked(const std::string& links, const std::string& solo = "----") {
  MidiRoutingState state;
  state.slotChannels = {1, 2, 3, 4};
  state.globalChannel = 15;
  for (size_t i = 0; i < 3; ++i) state.links[i] = links[i] == 'x';
  for (size_t i = 0; i < 4; ++i) state.solo[i] = solo[i] == 'x';
  return state;
}

// The slots reached, as letters, and each copy's status.
std::string Route(const MidiRoutingState& state, uint8_t status, std::string* statuses = nullptr) {
  SlotDelivery out[4];
  const int n = RouteHostMessage(IMidiMsg(7, status, 60, 100), state, out);
  std::string slots;
  for (int i = 0; i < n; ++i) {
    slots += char('A' + out[i].slot);
    if (statuses) *statuses += std::to_string(out[i].msg.mStatus) + " ";
    EXPECT_EQ(out[i].msg.mOffset, 7);
    EXPECT_EQ(out[i].msg.mData1, 60);
  }
  return slots;
}

TEST(MidiRouting, ANoteOnASlotsChannelReachesItsZone) {
  struct Row {
    const char* links;  // A-B, B-C, C-D
    const char* bySlot[4];
  };
  const Row rows[] = {
      {"---", {"A", "B", "C", "D"}},     {"x--", {"AB", "AB", "C", "D"}},           {"-x-", {"A", "BC", "BC", "D"}},
      {"--x", {"A", "B", "CD", "CD"}},   {"xx-", {"ABC", "ABC", "ABC", "D"}},       {"-xx", {"A", "BCD", "BCD", "BCD"}},
      {"x-x", {"AB", "AB", "CD", "CD"}}, {"xxx", {"ABCD", "ABCD", "ABCD", "ABCD"}},
  };
  for (const Row& row : rows)
    for (int slot = 0; slot < 4; ++slot)
      EXPECT_EQ(Route(Linked(row.links), uint8_t(0x90 + slot)), row.bySlot[slot]) << row.links << " slot " << slot;
}

TEST(MidiRouting, ASoloedSlotOfTheZoneTakesItAlone) {
  EXPECT_EQ(Route(Linked("xxx", "--x-"), 0x90), "C");
  EXPECT_EQ(Route(Linked("x--", "---x"), 0x90), "AB");  // a solo outside the zone changes nothing
  EXPECT_EQ(Route(Linked("x--", "-xx-"), 0x90), "B");
}

TEST(MidiRouting, TheGlobalChannelAddressesTheZoneTheLinksMake) {
  const std::pair<const char*, const char*> rows[] = {
      {"---", ""},    {"x--", "AB"},  {"-x-", "BC"},   {"--x", "CD"},
      {"xx-", "ABC"}, {"-xx", "BCD"}, {"x-x", "ABCD"}, {"xxx", "ABCD"},
  };
  for (const auto& [links, slots] : rows) {
    std::string statuses;
    EXPECT_EQ(Route(Linked(links), 0xBF, &statuses), slots) << links;
    if (std::string(links) == "x--") {
      EXPECT_EQ(statuses, "176 177 ");  // CC on channels 1 and 2
    }
  }
}

TEST(MidiRouting, WithoutThePortsZonesAreNotSpreadButSlotsStillHearTheHost) {
  MidiRoutingState state = Linked("x--");
  state.midiIOSet = false;
  EXPECT_EQ(Route(state, 0x90), "");
  EXPECT_EQ(Route(state, 0x92), "C");
}

TEST(MidiRouting, ProgramChangesAreNeverSpread) {
  EXPECT_EQ(Route(Linked("xxx"), 0xC1), "B");
  EXPECT_EQ(Route(Linked("xxx"), 0xCF), "ABCD");  // the global channel is a zone message
}

TEST(MidiRouting, ChannelsNoSlotHasAreDroppedAndSharedOnesGoToTheFirstSlot) {
  EXPECT_EQ(Route(Linked("---"), 0x99), "");
  MidiRoutingState shared = Linked("---");
  shared.slotChannels = {5, 5, 0, 7};
  EXPECT_EQ(Route(shared, 0x94), "A");
  // A slot without a channel gets no copy rather than one of another kind.
  shared.links = {true, true, true};
  std::string statuses;
  EXPECT_EQ(Route(shared, 0x94, &statuses), "ABD");
  EXPECT_EQ(statuses, "148 148 150 ");
  EXPECT_EQ(Route(shared, 0xF8), "");  // no channel message
}

}  // namespace

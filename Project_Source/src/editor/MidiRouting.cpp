#include "MidiRouting.h"

#include <cstddef>

namespace {

constexpr int kDirect = -1;
constexpr int kDropped = -2;

// Slots A-D of each zone mode, in sending order.
constexpr std::array<std::array<bool, 4>, kZoneModeCount> kZoneSlots = {{
    {true, true, false, false},
    {false, true, true, false},
    {false, false, true, true},
    {true, true, true, false},
    {false, true, true, true},
    {true, true, true, true},
    {true, true, true, true},
}};

int LinkBits(const MidiRoutingState& state) {
  return (state.links[0] ? 1 : 0) | (state.links[1] ? 2 : 0) | (state.links[2] ? 4 : 0);
}

// The zone of the global channel, by the links A-B, B-C, C-D (bits 0-2).
int GlobalZone(int links) {
  constexpr int kByLinks[8] = {kDropped, 0, 1, 3, 2, 5, 4, 6};
  return kByLinks[links];
}

// The zone a message arriving on a slot's channel is spread over, or kDirect.
int SlotZone(int links, int slot) {
  constexpr int D = kDirect;
  constexpr int kBySlot[8][4] = {
      {D, D, D, D},  // none
      {0, 0, D, D},  // A-B
      {D, 1, 1, D},  // B-C
      {3, 3, 3, D},  // A-B, B-C
      {D, D, 2, 2},  // C-D
      {0, 0, 2, 2},  // A-B, C-D
      {D, 4, 4, 4},  // B-C, C-D
      {6, 6, 6, 6},  // all three
  };
  return kBySlot[links][slot];
}

}  // namespace

int DistributeMIDIMessages(const IMidiMsg& msg, int mode, int statusWithoutChannel, const MidiRoutingState& state,
                           SlotDelivery out[4]) {
  if (!state.midiIOSet || mode < 0 || mode >= kZoneModeCount) return 0;
  std::array<bool, 4> zone = kZoneSlots[std::size_t(mode)];
  for (int k = 0; k < 4; ++k) {
    if (!zone[std::size_t(k)] || !state.solo[std::size_t(k)]) continue;
    zone = {};
    zone[std::size_t(k)] = true;
    break;
  }
  int count = 0;
  for (int k = 0; k < 4; ++k) {
    const int channel = state.slotChannels[std::size_t(k)];
    // A copy for a slot without a channel would carry a status of another kind.
    if (!zone[std::size_t(k)] || channel < 1 || channel > 16) continue;
    out[count].slot = k;
    out[count].msg = IMidiMsg(msg.mOffset, uint8_t((statusWithoutChannel + channel - 1) & 0xFF), msg.mData1, msg.mData2);
    ++count;
  }
  return count;
}

int RouteHostMessage(const IMidiMsg& msg, const MidiRoutingState& state, SlotDelivery out[4]) {
  if (msg.StatusMsg() == IMidiMsg::kNone) return 0;
  const int channel = msg.Channel();
  const int links = LinkBits(state);
  if (channel == state.globalChannel) {
    const int mode = GlobalZone(links);
    return mode == kDropped ? 0 : DistributeMIDIMessages(msg, mode, msg.mStatus - channel, state, out);
  }
  int slot = -1;
  for (int k = 0; k < 4 && slot < 0; ++k)
    if (state.slotChannels[std::size_t(k)] - 1 == channel) slot = k;
  if (slot < 0) return 0;
  const int zone = msg.StatusMsg() == IMidiMsg::kProgramChange ? kDirect : SlotZone(links, slot);
  if (zone == kDirect) {
    out[0].slot = slot;
    out[0].msg = msg;
    return 1;
  }
  return DistributeMIDIMessages(msg, zone, msg.mStatus - channel, state, out);
}

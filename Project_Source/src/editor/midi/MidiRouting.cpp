#include "editor/midi/MidiRouting.h"

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

std::array<bool, 4> ZoneSlots(int mode, const MidiRoutingState& state) {
  if (!state.midiIOSet || mode < 0 || mode >= kZoneModeCount) return {};
  const std::array<bool, 4>& zone = kZoneSlots[std::size_t(mode)];
  for (std::size_t k = 0; k < 4; ++k) {
    if (!zone[k] || !state.solo[k]) continue;
    std::array<bool, 4> solo{};
    solo[k] = true;
    return solo;
  }
  return zone;
}

bool CloneForSlot(const IMidiMsg& msg, int channel, int statusWithoutChannel, IMidiMsg* copy) {
  if (channel < 1 || channel > 16) return false;
  *copy = IMidiMsg(msg.mOffset, uint8_t((statusWithoutChannel + channel - 1) & 0xFF), msg.mData1, msg.mData2);
  return true;
}

int DistributeMIDIMessages(const IMidiMsg& msg, int mode, int statusWithoutChannel, const MidiRoutingState& state,
                           SlotDelivery out[4]) {
  const std::array<bool, 4> zone = ZoneSlots(mode, state);
  int count = 0;
  for (int k = 0; k < 4; ++k) {
    if (!zone[std::size_t(k)]) continue;
    if (!CloneForSlot(msg, state.slotChannels[std::size_t(k)], statusWithoutChannel, &out[count].msg)) continue;
    out[count].slot = k;
    ++count;
  }
  return count;
}

HostRoute RouteOfHostMessage(const IMidiMsg& msg, const MidiRoutingState& state) {
  HostRoute route;
  if (msg.StatusMsg() == IMidiMsg::kNone) return route;
  const int channel = msg.Channel();
  const int links = LinkBits(state);
  if (channel == state.globalChannel) {
    const int mode = GlobalZone(links);
    if (mode == kDropped) return route;
    route.kind = HostRoute::kZone;
    route.mode = mode;
    route.statusWithoutChannel = msg.mStatus - channel;
    return route;
  }
  int slot = -1;
  for (int k = 0; k < 4 && slot < 0; ++k)
    if (state.slotChannels[std::size_t(k)] - 1 == channel) slot = k;
  if (slot < 0) return route;
  const int zone = msg.StatusMsg() == IMidiMsg::kProgramChange ? kDirect : SlotZone(links, slot);
  route.kind = zone == kDirect ? HostRoute::kDirect : HostRoute::kZone;
  route.slot = slot;
  route.mode = zone;
  route.statusWithoutChannel = msg.mStatus - channel;
  return route;
}

int RouteHostMessage(const IMidiMsg& msg, const MidiRoutingState& state, SlotDelivery out[4]) {
  const HostRoute route = RouteOfHostMessage(msg, state);
  switch (route.kind) {
    case HostRoute::kDirect:
      out[0].slot = route.slot;
      out[0].msg = msg;
      return 1;
    case HostRoute::kZone: return DistributeMIDIMessages(msg, route.mode, route.statusWithoutChannel, state, out);
    case HostRoute::kDropped: break;
  }
  return 0;
}

#pragma once
// Which part slots a channel message from the host is meant for: the slot whose channel
// it arrived on, or every slot of the keyboard zone that slot is linked into; on the
// synthesizer's global channel, the zone the links make. Decisions only: the editor
// hands each delivery to the messaging layer.
//
// threads: any (pure functions over a copy of the routing state)

#include <array>

#include "Framework/IMidiMsg.h"

struct MidiRoutingState {
  std::array<int, 4> slotChannels{};  // 1-16, or 0 when unset
  int globalChannel = 0;              // 0-15
  std::array<bool, 3> links{};        // A-B, B-C, C-D
  std::array<bool, 4> solo{};
  bool midiIOSet = true;  // zones are spread only while the synthesizer's ports are set
};

struct SlotDelivery {
  int slot = 0;
  IMidiMsg msg;
};

// The zones of linked slots, by mode 0-6.
constexpr int kZoneModeCount = 7;

// The slots A-D of zone `mode`, shrunk to the zone's first soloed slot; none for a
// mode outside 0-6 or while the ports are not set.
std::array<bool, 4> ZoneSlots(int mode, const MidiRoutingState& state);

// The copy of `msg` for a slot on `channel` (1-16): status `statusWithoutChannel` +
// channel - 1, modulo 256. False, making no copy, for a slot without a channel, whose
// copy would carry a status of another kind.
bool CloneForSlot(const IMidiMsg& msg, int channel, int statusWithoutChannel, IMidiMsg* copy);

// Copies of `msg` for the slots of zone `mode` (ZoneSlots), each made by CloneForSlot.
// Returns the number of copies; 0 for a mode outside 0-6.
int DistributeMIDIMessages(const IMidiMsg& msg, int mode, int statusWithoutChannel, const MidiRoutingState& state,
                           SlotDelivery out[4]);

// Where a channel message from the host goes: dropped, straight to one slot, or spread
// over a zone of linked slots.
struct HostRoute {
  enum Kind { kDropped, kDirect, kZone } kind = kDropped;
  int slot = 0;                  // kDirect
  int mode = 0;                  // kZone: 0-6
  int statusWithoutChannel = 0;  // kZone
};
HostRoute RouteOfHostMessage(const IMidiMsg& msg, const MidiRoutingState& state);

// The deliveries of RouteOfHostMessage: up to four; 0 when dropped.
int RouteHostMessage(const IMidiMsg& msg, const MidiRoutingState& state, SlotDelivery out[4]);

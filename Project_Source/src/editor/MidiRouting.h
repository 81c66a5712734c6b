#pragma once
// Which part slots a channel message from the host is meant for: the slot whose channel
// it arrived on, or every slot of the keyboard zone that slot is linked into; on the
// synthesizer's global channel, the zone the links make. Decisions only: the editor
// hands each delivery to the messaging layer.
//
// threads: any (pure functions over a copy of the routing state)

#include <array>

#include "IMidiMsg.h"

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

// Copies of `msg` for the slots of zone `mode` (shrunk to a soloed slot of the zone),
// each with status `statusWithoutChannel` + that slot's channel - 1. A slot without a
// channel gets no copy. Returns the number of copies; 0 for a mode outside 0-6.
int DistributeMIDIMessages(const IMidiMsg& msg, int mode, int statusWithoutChannel, const MidiRoutingState& state,
                           SlotDelivery out[4]);

// Where a channel message from the host goes: up to four deliveries; 0 when dropped.
int RouteHostMessage(const IMidiMsg& msg, const MidiRoutingState& state, SlotDelivery out[4]);

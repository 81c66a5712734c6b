// Channel messages from any bytes, from the host and from the synthesizer.
//
// The router alone: every delivery keeps the message's kind and data bytes, goes to a
// slot once, in slot order, on that slot's channel; a channel no slot has
// is dropped; a program change off the global channel reaches one slot at most.
// A headless editor with both ports open: whatever it then sends to the synthesizer is
// a whole message.
//
// Input: 6 bytes of routing state (four slot channels, global channel, links and solo
// bits), then records of 4 bytes: side, status, data 1, data 2.
#include <cstdint>
#include <cstdlib>

#include "ConnectedEditor.h"
#include "editor/midi/MidiRouting.h"

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kRecordSize = 4;
constexpr size_t kMaxRecords = 64;

MidiRoutingState StateOf(const uint8_t* at) {
  MidiRoutingState state;
  for (size_t k = 0; k < 4; ++k) state.slotChannels[k] = at[k] % 18;  // 16 and 17 are out of range
  state.globalChannel = at[4] % 16;
  for (size_t i = 0; i < 3; ++i) state.links[i] = at[5] >> i & 1;
  for (size_t k = 0; k < 4; ++k) state.solo[k] = at[5] >> (3 + k) & 1;
  state.midiIOSet = at[5] >> 7 & 1;
  return state;
}

void CheckRoute(const IMidiMsg& msg, const MidiRoutingState& state) {
  SlotDelivery out[4];
  const int count = RouteHostMessage(msg, state, out);
  if (count < 0 || count > 4) std::abort();
  const bool global = msg.StatusMsg() != IMidiMsg::kNone && msg.Channel() == state.globalChannel;
  bool someSlot = false;
  for (int channel : state.slotChannels) someSlot = someSlot || channel - 1 == msg.Channel();
  if (count > 0 && msg.StatusMsg() == IMidiMsg::kNone) std::abort();
  if (count > 0 && !global && !someSlot) std::abort();
  if (!global && msg.StatusMsg() == IMidiMsg::kProgramChange && count > 1) std::abort();
  if (!state.midiIOSet && count > 1) std::abort();
  for (int i = 0; i < count; ++i) {
    const SlotDelivery& d = out[i];
    if (d.slot < 0 || d.slot > 3 || (i > 0 && d.slot <= out[i - 1].slot)) std::abort();
    if ((d.msg.mStatus & 0xF0) != (msg.mStatus & 0xF0)) std::abort();
    if (d.msg.mData1 != msg.mData1 || d.msg.mData2 != msg.mData2) std::abort();
    if (d.msg.Channel() != state.slotChannels[size_t(d.slot)] - 1) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderSize) return 0;
  ConnectedEditor& editor = EditorForInput();
  Tavro& plug = *editor.plug;
  const MidiRoutingState state = StateOf(data);
  for (size_t i = 0; i < 3; ++i) plug.setGlobalLink(i, state.links[i]);
  for (size_t k = 0; k < 4; ++k) plug.setSlotSolo(k, state.solo[k]);
  const size_t records = std::min((size - kHeaderSize) / kRecordSize, kMaxRecords);
  for (size_t r = 0; r < records; ++r) {
    const uint8_t* at = data + kHeaderSize + r * kRecordSize;
    IMidiMsg msg(0, at[1], at[2], at[3]);
    CheckRoute(msg, state);
    const size_t before = editor.ports->Sent(kFuzzSynthIn).size();
    plug.ProcessMidiMsg(&msg, at[0] & 1);
    CheckWholeMessages(editor.ports->Sent(kFuzzSynthIn), before);
  }
  WaitForTransfers(plug);
  return 0;
}

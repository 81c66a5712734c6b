// Channel messages arriving from the synthesizer and the host, and what the MIDI
// manager's incoming handlers and randomiser reach of the editor.

#include <cstdio>
#include <cstring>
#include <string>

#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "Kit_Mutex.h"
#include "Kit_TimeSource.h"
#include "editor/Tavro.h"
#include "editor/librarian/LibrarianPanelParts.h"
#include "editor/midi/MidiRouting.h"
#include "layout/tables/ParamNameTable.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/panel/LibrarianViewControl.h"
#include "messaging/MIDIMessageManager.h"
#include "winemu/WinEmu_Time.h"

namespace {

constexpr size_t kHeldReleaseRoom = 256;
constexpr size_t kShortMessageRoom = 3;

MidiRoutingState RoutingState(const Tavro& plug) {
  MidiRoutingState routing;
  for (int s = 0; s < kSlotCount; ++s) {
    routing.slotChannels[size_t(s)] = plug.slotChannel(s);
    routing.solo[size_t(s)] = plug.midiFilters().slotSolo[size_t(s)];
  }
  routing.globalChannel = int(plug.paramValue(kDeviceID));
  for (size_t i = 0; i < routing.links.size(); ++i) routing.links[i] = plug.midiFilters().globalLink[i];
  routing.midiIOSet = plug.unitLink().midiIOSet;
  return routing;
}

}  // namespace

void Tavro::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
  if (!msg || !midiManager) return;
  if (fromDevice && (transfer_.transferBusy || midiFilters_.ignoreDeviceMidi)) return;
  if (msg->StatusMsg() == IMidiMsg::kNone) return;
  // The host's call holds the plug-in mutex and must not wait for room in the output
  // (a send may wait for it): what finds no room waits in the hold, let go by the next
  // tick. The hold is the host's alone: the unit's own messages never look at it.
  const auto hostMessageGoesNow = [this, msg] {
    const bool passes = (!transferRuns() && heldMidi.empty()) || heldMidi.MayOvertake(*msg);
    return passes && GetMidiPorts().OutputHasRoomFor(kShortMessageRoom);
  };
  if (fromDevice || hostMessageGoesNow()) {
    takeMidiMsg(msg, fromDevice);
    return;
  }
  // Nothing the host plays is dropped while a transfer runs or the output is full: it
  // waits, and what may pass goes at once when nothing waits before it.
  heldMidi.push(*msg);
  releaseHeldMidi();
}

bool Tavro::transferRuns() const { return transfer_.transferBusy || IsTransferring(); }

void Tavro::releaseHeldMidi() {
  IMidiMsg msg;
  // Paced at what the port takes and the cable carries: what finds the port's queue
  // full or the cable busy waits for a later tick (which comes back for it) rather than
  // under the plug-in mutex, and room is left for the clock and the editor's own sends.
  // The cable is charged what the port was given meanwhile: a message spread over
  // linked slots goes as one copy a slot.
  IMidiPorts& ports = GetMidiPorts();
  const uint64_t now = Kit_Time().NowMicros();
  while (ports.OutputHasRoomFor(kHeldReleaseRoom) && heldMidiPace.ready(now) && heldMidi.front(transferRuns(), &msg)) {
    const uint64_t sentBefore = ports.BytesSent();
    takeMidiMsg(&msg, false);
    heldMidiPace.carry(ports.BytesSent() - sentBefore, now);
    heldMidi.done();
  }
  // Said once all that waited has gone, with every refusal since the last said.
  if (!heldMidi.empty()) return;
  if (const size_t refused = heldMidi.takeRefused()) {
    const std::string text = "MIDI held during a transfer: " + std::to_string(refused) + " message(s) lost!";
    printDebugInfo(text);
    showStatus(text);
  }
}

void Tavro::closeHeldMidi() {
  Kit_MutexLock hold(GetMutex());
  for (IMidiMsg& end : heldMidi.close()) takeMidiMsg(&end, false);
}

void Tavro::sayHeldMidiUnsent() {
  const size_t unsent = heldMidi.size(), refused = heldMidi.takeRefused();
  if (unsent == 0 && refused == 0) return;
  std::string line =
      "Closed with " + std::to_string(unsent) + " MIDI message(s) held during a transfer not sent to the unit";
  if (refused) line += " (" + std::to_string(refused) + " more lost when the hold was full)";
  std::fprintf(stderr, "Tavro Editor: %s\n", line.c_str());
  printDebugInfo("MIDI: " + line);
}

void Tavro::takeMidiMsg(IMidiMsg* msg, bool fromDevice) {
  if (fromDevice) {
    // The four parts' channels are the synthesizer's panel talking; on its global
    // channel it chooses performances (bank select, program change).
    const int kind = msg->StatusMsg();
    bool fromPanel = (kind == IMidiMsg::kControlChange || kind == IMidiMsg::kProgramChange) &&
                     msg->Channel() == int(paramValue(kDeviceID));
    for (int s = 0; s < kSlotCount && !fromPanel; ++s) fromPanel = slotChannel(s) - 1 == msg->Channel();
    if (fromPanel) midiManager->ProcessMidiMsgFromDevice(msg);
    return;
  }
  const HostRoute route = RouteOfHostMessage(*msg, RoutingState(*this));
  if (route.kind == HostRoute::kDirect) midiManager->ProcessMidiMsgFromDAW(msg, route.slot);
  if (route.kind == HostRoute::kZone) DistributeMIDIMessages(msg, route.mode, route.statusWithoutChannel);
}

void Tavro::DistributeMIDIMessages(IMidiMsg* msg, int mode, int statusWithoutChannel) {
  if (!msg) return;
  const std::array<bool, kSlotCount> zone = ZoneSlots(mode, RoutingState(*this));
  for (int slot = 0; slot < kSlotCount; ++slot)
    if (zone[size_t(slot)]) CloneMIDIMessageAndProcess(msg, slot, statusWithoutChannel);
}

void Tavro::CloneMIDIMessageAndProcess(IMidiMsg* msg, int slot, int statusWithoutChannel) {
  if (!msg || !midiManager || slot < 0 || slot >= kSlotCount) return;
  IMidiMsg copy;
  if (CloneForSlot(*msg, slotChannel(slot), statusWithoutChannel, &copy))
    midiManager->ProcessMidiMsgFromDAW(&copy, slot);
}

IParam* Tavro::editorParam(int paramIdx) const {
  return paramIdx >= 0 && paramIdx < NParams() ? GetParam(paramIdx) : nullptr;
}

int Tavro::editorParamIndex(const char* name) const {
  for (int i = 0; i < kParamNameTableSize; ++i)
    if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
  return -1;
}

bool Tavro::midiClassBlocked(bool fromDevice, int filterClass) const {
  if (filterClass < 0 || filterClass >= kFilterClassCount) return true;
  return (fromDevice ? midiFilters_.deviceFilterBlocked : midiFilters_.hostFilterBlocked)[size_t(filterClass)].load();
}

void Tavro::lightIncomingMidi(int slot) {
  if (!midiFilters_.trackIncomingMidi || !graphics || slot < 0 || slot >= kSlotCount) return;
  if (slotTables_.ledLit[size_t(slot)] != 0) return;
  // The time goes first: the render tick darkens a lit light by it.
  setLedOnTime(size_t(slot), int(GetTickCount()));
  setLedLit(size_t(slot), 1);
  setFromPlug(kMIDILed + slot, 1.0);
}

void Tavro::sendLibrarianRowToSynth(int row) {
  const auto* list = dynamic_cast<const LibrarianViewControl*>(kept_.librarianView);
  sendPatchToDeviceFromLibrarian(row, list ? list->activeSide.load() : 0);
}

Kit_Mutex& Tavro::pluginMutex() { return GetMutex(); }

Kit_RandomSource& Tavro::randomSource() { return GetRandom(); }

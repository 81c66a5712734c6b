#include "messaging/LibrarianSends.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "Framework/IMidiMsg.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/DumpParameters.h"
#include "messaging/JobSteps.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr int kEditBufferPerformance = 0x1E;
constexpr int kStoredPerformance = 0x1F;
constexpr int kLoadPollMs = 20;
constexpr int kHighestBank = 9;  // the ten-bank model's last
constexpr int kFirstModelsPrograms = 40;

uint8_t DeviceIdByte(MessagingEditor& plug) { return static_cast<uint8_t>(std::clamp(plug.getDeviceId(), 0, 15)); }

// Job 2's dump addressed to the edit buffer: a program to part slot `slot`, a
// performance carrying the current device id as its own. False, leaving the bytes
// unsent, for a message not of the kind's form.
bool AddressToEditBuffer(MessagingEditor& plug, bool performance, int slot, std::vector<uint8_t>* dump) {
  std::vector<uint8_t>& b = *dump;
  if (performance) {
    if (b.size() < 711 || b.size() > 765) return false;
    b[2] = DeviceIdByte(plug);
    b[4] = kEditBufferPerformance;
    PerformanceDumpCoder::SetOwnDeviceId(b, plug.getDeviceId());
    return PerformanceDumpCoder::Accepts(b.data(), b.size());
  }
  if ((b.size() != 139 && b.size() != 149) || slot < 0 || slot > 3) return false;
  b[2] = DeviceIdByte(plug);
  b[4] = 0;
  b[5] = static_cast<uint8_t>(slot);
  return ProgramDumpCoder::Accepts(b.data(), b.size());
}

// Job 2: the panel takes the patch over, then sends its part or performance, so the
// synthesizer ends with what the panel's dump rules make of it.
void sendPatchToDeviceFromLibrarian(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& plug = *sender.plug();
  plug.DisplayProcessingIndicator(true);
  const bool performance = plug.isLibrarianPerformanceMode();
  std::vector<uint8_t> dump;
  if (args.librarianPatch && !args.librarianPatch->empty()) dump = args.librarianPatch->messages.front().bytes;
  if (!AddressToEditBuffer(plug, performance, args.slot, &dump)) {
    plug.showStatus(dump.empty()  ? kSlotEmptyText
                    : performance ? "Not sent: stored performance is damaged"
                                  : "Not sent: stored program is damaged");
  } else {
    plug.clearDataProcessed();
    if (MIDIMessageManager* manager = plug.messageManager()) manager->transferInProgress = true;
    plug.processOwnSysEx(dump.data(), static_cast<int>(dump.size()));
    if (AwaitPanelLoad(sender, kLoadPollMs, nullptr) == PanelLoad::kTaken) {
      // The panel took it over; a send that then fails says so over this.
      plug.showStatus(kDataProcessedReady);
      JobArgs resend;
      resend.jobCode = performance ? kJobSendArrangement : kJobSendPart;
      resend.slot = args.slot;
      sender.run(resend);
    }
  }
  plug.DisplayProcessingIndicator(false);
}

// The bank file a pane shows, copied under the librarian's lock: a rescan during the
// minute a bank takes cannot free it under the job.
std::unique_ptr<PatchFile> CopySourceBank(MessagingEditor& plug, const PatchLibrarian& librarian, int pane) {
  const int kind = librarian.patchType.load();
  const int index = pane == 0 ? librarian.upperFileIndex.load() : librarian.lowerFileIndex.load();
  const bool search = pane != 0 && plug.searchResultsAreShown();
  std::unique_ptr<PatchFile> copy;
  if (kind != 0 && kind != 1) return copy;
  librarian.inspect([&](const PatchLibrary& library) {
    const PatchFileList& files = search ? library.searchFiles : library.filesOfType(kind);
    if (index >= 0 && size_t(index) < files.size() && files[size_t(index)]) copy = files[size_t(index)]->clone();
  });
  return copy;
}

// A stored slot as the store form of its kind: cut or zero-padded, addressed to
// number `number` of `bank`. Empty for a message that is no dump of the synthesizer
// or carries a status byte inside, which would cut the transfer short on the wire.
std::vector<uint8_t> StoreForm(const std::vector<uint8_t>& stored, bool performance, int bank, int number,
                               uint8_t deviceId, int model) {
  std::vector<uint8_t> m = stored;
  m.resize(performance ? 715 : 139, 0);
  m[2] = deviceId;
  m[4] = static_cast<uint8_t>(performance ? kStoredPerformance + (model == 2 ? bank : 0) : bank + 1);
  m[5] = static_cast<uint8_t>(number);
  m.back() = 0xF7;
  const bool header = m[0] == 0xF0 && m[1] == kMakerId && m[3] == kModelByte;
  if (!header || std::any_of(m.begin() + 1, m.end() - 1, [](uint8_t b) { return b >= 0x80; })) return {};
  return m;
}

// How many of the bank's dumps a store sends.
int StoreCount(MessagingEditor& plug, const JobArgs& args, const PatchFile& bank) {
  const bool performance = bank.type == 1;
  const bool fortyPrograms = plug.panelParameters().Model() <= 1 && !performance && args.storeBank == 0;
  // A listed program bank carries a hundredth, empty row for the list: the unit's
  // bank ends before it.
  const int bankSize = performance ? kPerformanceBankSize : kProgramBankSize;
  return std::min(fortyPrograms ? kFirstModelsPrograms : bankSize, static_cast<int>(bank.patches.size()));
}

// Sends the bank's dumps in slot order; returns how many were sent.
int WriteBank(MIDIMessageSender& sender, const JobArgs& args, const PatchFile& bank, SendOutcome& outcome) {
  MessagingEditor& plug = *sender.plug();
  const bool performance = bank.type == 1;
  const int model = plug.panelParameters().Model();
  const int count = StoreCount(plug, args, bank);
  const uint64_t pacingMicros = uint64_t(performance ? 4 : 2) * uint64_t(plug.getTimerValue()) * 1000;
  int sent = 0;
  for (int i = 0; i < count; ++i) {
    plug.DisplayProcessingIndicator(true);
    plug.showStatus(ProgressText("Storing ", i + 1, count));
    SetSelectedLibrarianSlot(plug, i, args.storePane == 0 ? 0 : 1);
    const LibrarianPatch& patch = bank.patches[size_t(i)];
    if (patch.empty()) return sent;
    const std::vector<uint8_t> m =
        StoreForm(patch.messages.front().bytes, performance, args.storeBank, i, DeviceIdByte(plug), model);
    if (m.empty()) return sent;
    // A port that refuses takes nothing more: the rest of the bank would be lost too.
    if (!outcome.note(plug.SendMidiSysex2(m))) break;
    ++sent;
    const bool paced = sender.pause(pacingMicros);
    if (sender.shuttingDown()) {
      // The plug-in closes (the host ends, as on a signal): no status line is seen.
      const std::string cut = std::string("store cut after ") + (performance ? "performance " : "program ") +
                              std::to_string(sent) + " of " + std::to_string(count);
      std::fprintf(stderr, "%s\n", cut.c_str());
      plug.printDebugInfo(cut);
      return sent;
    }
    if (sender.cancelRequested()) break;  // the job says so, with the count
    if (!paced) return sent;
    plug.DisplayProcessingIndicator(false);
  }
  SetSelectedLibrarianSlot(plug, 0);
  return sent;
}

// Job 3.
void storeAllPatchesToDeviceFromLibrarian(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& plug = *sender.plug();
  MIDIMessageManager* manager = plug.messageManager();
  PatchLibrarian* librarian = manager ? manager->librarian() : nullptr;
  plug.DisplayProcessingIndicator(true);
  SendOutcome outcome(plug);
  // On every channel: the host may have notes sounding on any of them (a slot's
  // channel changed while they sounded, the global channel, the unit's own keys).
  for (int channel = 0; channel < IMidiMsg::kChannels; ++channel) {
    IMidiMsg allNotesOff;
    allNotesOff.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, 0.0, channel);
    outcome.note(plug.SendMidiMsg(&allNotesOff));
  }
  const bool settled = sender.pause(50 * 1000);
  const std::unique_ptr<PatchFile> bank = librarian ? CopySourceBank(plug, *librarian, args.storePane) : nullptr;
  int stored = 0;
  const bool storable = settled && bank && args.storeBank >= 0 && args.storeBank <= kHighestBank;
  if (storable) {
    if (bank->patches.empty()) {
      SetSelectedLibrarianSlot(plug, 0);
    } else {
      stored = WriteBank(sender, args, *bank, outcome);
    }
  }
  // The outcome replaces whatever the line said before the store. One cut short says
  // why, then how much of the bank the unit now holds of the new one.
  const std::string what = bank && bank->type == 1 ? " performances" : " programs";
  const int count = bank ? StoreCount(plug, args, *bank) : 0;
  const std::string written = " / " + std::to_string(stored) + " of " + std::to_string(count) + " sent";
  if (sender.cancelRequested())
    plug.showStatus("Data write CANCELLED!" + written);
  else if (!outcome.finish(sender))
    plug.showStatus(kMidiSendFailed + (stored < count ? written : std::string()));
  else if (stored > 0)
    plug.showStatus("Stored " + std::to_string(stored) + what);
  else if (storable)  // a store stops at the first slot without a whole dump
    plug.showStatus("Not stored: slot 1 holds no whole dump");
  plug.DisplayProcessingIndicator(false);
}

}  // namespace

void installLibrarianSendJobs(MIDIMessageSender& sender) {
  sender.setJob(kJobSendLibrarianPatch, &sendPatchToDeviceFromLibrarian);
  sender.setJob(kJobStoreAllPatches, &storeAllPatchesToDeviceFromLibrarian);
}

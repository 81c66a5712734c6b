#include "messaging/JobSteps.h"

#include "messaging/LibrarianDumpForm.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"

namespace {
constexpr int kLoadPolls = 100;
constexpr int kInitPollMs = 25;
}  // namespace

bool StoreInLibrarianSlot(MessagingEditor& plug, const std::vector<uint8_t>& dump) {
  plug.SetLibrarianRequestActive(true);
  plug.processOwnSysEx(dump.data(), static_cast<int>(dump.size()));
  return ReportLibrarianStore(plug, true);
}

void InitializeLibrarianSlot(MessagingEditor& plug, const std::vector<uint8_t>& init, bool performance) {
  const std::string name = performance ? "Init Perf " : "Init Patch";
  const std::vector<uint8_t> named = performance ? LibrarianPerformanceForm(init.data(), init.size(), name)
                                                 : LibrarianProgramForm(init.data(), init.size(), name);
  const int slot = SelectedLibrarianSlot(plug);
  if (StoreInLibrarianSlot(plug, named))
    plug.showStatus("Initialized slot " + std::to_string(slot + 1) + " as \"" +
                    name.substr(0, name.find_last_not_of(' ') + 1) + "\"");
}

PanelLoad AwaitPanelLoad(MIDIMessageSender& sender, int pauseMs, const char* progress) {
  MessagingEditor& plug = *sender.plug();
  for (int pass = 0; pass < kLoadPolls; ++pass) {
    if (!sender.pause(uint64_t(pauseMs) * 1000)) return PanelLoad::kStopped;
    if (progress) plug.showStatus(progress);
    if (pass < kLoadPolls - 1 && plug.isDataProcessed()) return PanelLoad::kTaken;
  }
  plug.showStatus("CONNECTION TIMED OUT!");
  sender.timedOut = true;
  return PanelLoad::kTimedOut;
}

void SendInitToHardware(MIDIMessageSender& sender, const std::vector<uint8_t>& dump, const char* sentStatus) {
  MessagingEditor& plug = *sender.plug();
  SendOutcome outcome(plug);
  outcome.note(plug.SendMidiSysex2(dump));
  plug.SetLibrarianRequestActive(false);
  plug.processOwnSysEx(dump.data(), static_cast<int>(dump.size()));
  const bool taken = AwaitPanelLoad(sender, kInitPollMs, "Processing, please wait...") == PanelLoad::kTaken;
  if (outcome.finish(sender) && taken) plug.showStatus(sentStatus);
}

#include "JobSteps.h"

#include "MIDIMessageSender.h"
#include "MessagingEditor.h"
#include "TransferJobSteps.h"

namespace {
constexpr int kLoadPolls = 100;
}  // namespace

void StoreInLibrarianSlot(MessagingEditor& plug, const std::vector<uint8_t>& dump) {
  plug.SetLibrarianRequestActive(true);
  plug.processOwnSysEx(dump.data(), static_cast<int>(dump.size()));
  ReportLibrarianStore(plug, true);
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

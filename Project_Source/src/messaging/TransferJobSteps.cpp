#include "messaging/TransferJobSteps.h"

#include <algorithm>
#include <optional>
#include <string>

#include "Kit_TimeSource.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/DumpParameters.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/SendOutcome.h"

namespace {
bool TenBanks(int model) { return model == 2; }
constexpr int kMainSteps = 20;
constexpr int kProbeStep = 15;
constexpr int kDeviceIds = 16;
}  // namespace

uint8_t SlotProgramRequestType(int model) { return TenBanks(model) ? 0x0E : 0x0A; }

uint8_t StoredProgramRequestType(int model, int bank) {
  return static_cast<uint8_t>((TenBanks(model) ? 0x0F : 0x0B) + (bank & 0x0F));
}

uint8_t StoredPerformanceRequestType(int model, int bank) {
  return static_cast<uint8_t>(0x29 + (TenBanks(model) ? (bank & 0x0F) : 0));
}

MessagingEditor& JobEditor(MIDIMessageSender& sender) { return *sender.plug(); }

bool JobStopRequested(const MIDIMessageSender& sender) { return sender.cancelRequested() || sender.shuttingDown(); }

void JobPauseMillis(MIDIMessageSender& sender, int millis) { sender.pause(uint64_t(millis) * 1000); }

namespace {
PatchLibrarian* Librarian(MessagingEditor& editor) {
  MIDIMessageManager* manager = editor.messageManager();
  return manager ? manager->librarian() : nullptr;
}
}  // namespace

int SelectedLibrarianSlot(MessagingEditor& editor) {
  PatchLibrarian* librarian = Librarian(editor);
  return librarian ? librarian->selectedSlot.load() : -1;
}

void SetSelectedLibrarianSlot(MessagingEditor& editor, int slot, int pane) {
  if (PatchLibrarian* librarian = Librarian(editor)) librarian->selectedSlotOf(pane) = slot;
  // The row the next request or store acts on is the row shown selected.
  editor.selectLibrarianRow(pane, slot);
}

bool LibrarianCanReceive(MessagingEditor& editor, PatchKind kind) {
  PatchLibrarian* librarian = Librarian(editor);
  const SlotStore can = librarian ? librarian->canStoreInSelectedSlot(kind) : SlotStore::kNoBankOfKind;
  if (can == SlotStore::kStored) return true;
  if (MIDIMessageManager* manager = editor.messageManager()) manager->disarmLibrarianReceivers();
  // Nothing is asked of the unit: the request, not a store, is what was refused.
  editor.showStatus(librarian ? librarian->storeRefusal(can, "Not requested") : std::string());
  return false;
}

void ExpectLibrarianReplyNumber(MessagingEditor& editor, int number) {
  if (MIDIMessageManager* manager = editor.messageManager()) {
    manager->performanceRequest.expectNumber(number);
    manager->patchRequest.expectNumber(number);
  }
}

std::string StoreRefusal(MessagingEditor& editor, SlotStore result) {
  PatchLibrarian* librarian = Librarian(editor);
  return librarian ? librarian->storeRefusal(result) : std::string();
}

SlotStore LastLibrarianStore(MessagingEditor& editor) {
  MIDIMessageManager* manager = editor.messageManager();
  return manager ? manager->librarianStore.load() : SlotStore::kNoBankOfKind;
}

bool ReportLibrarianStore(MessagingEditor& editor, bool replied) {
  const SlotStore result = LastLibrarianStore(editor);
  if (result == SlotStore::kStored) {
    editor.SetLibrarianStatusUnsaved(true);
    return true;
  }
  if (replied) editor.showStatus(StoreRefusal(editor, result));
  return false;
}

std::string TimeOutText(MIDIMessageSender& sender, const char* timeOutText) {
  MIDIMessageManager* manager = JobEditor(sender).messageManager();
  sender.timedOut = true;
  if (manager && manager->requestSendRefused)
    return std::string(kMidiSendFailed) + " MIDI Out: " + kChooseAgainToReconnect;
  return manager && manager->replyUnreadable ? "Reply from Hardware could not be read!" : timeOutText;
}

void ShowTimeOut(MIDIMessageSender& sender, const char* timeOutText) {
  JobEditor(sender).showStatus(TimeOutText(sender, timeOutText));
}

void SetTransferInProgress(MessagingEditor& editor, bool inProgress) {
  if (MIDIMessageManager* manager = editor.messageManager()) manager->transferInProgress = inProgress;
}

void SetTabRefreshPending(MessagingEditor& editor) {
  if (MIDIMessageManager* manager = editor.messageManager()) manager->tabRefreshPending = true;
}

void SendRequest(MessagingEditor& editor, int deviceId, uint8_t type, int number, int formModel) {
  const unsigned char request[5] = {kMakerId, static_cast<unsigned char>(deviceId & 0x0F), kModelByte,
                                    static_cast<unsigned char>(type & 0x7F), static_cast<unsigned char>(number & 0x7F)};
  MIDIMessageManager* manager = editor.messageManager();
  // A new request: what the one before was answered with is no answer of this one.
  const int family = formModel >= 0 ? formModel : editor.panelParameters().Model();
  if (manager && manager->requests.sent(request[1], request[3], request[4], family)) {
    manager->otherReply = -1;
    manager->requestSendRefused = false;
  }
  // Without ports the send says so itself; with them, a refusal means no answer comes.
  const bool portsSet = editor.isMidiIOSet();
  if (!editor.checksumCheckAndSend(request, 5) && portsSet && manager) manager->requestSendRefused = true;
}

void EndRequest(MessagingEditor& editor) {
  if (MIDIMessageManager* manager = editor.messageManager()) manager->requests.ended(Kit_Time().NowMicros());
}

void AskAgainAfterLateReply(MessagingEditor& editor) {
  MIDIMessageManager* manager = editor.messageManager();
  RequestLedger::Request request;
  if (manager && manager->requests.takeAskAgain(&request))
    SendRequest(editor, request.deviceId, request.type, request.number, request.family);
}

namespace {

bool OtherReplyCame(MessagingEditor& editor) {
  MIDIMessageManager* manager = editor.messageManager();
  return manager && manager->otherReply.load() >= 0;
}

bool RequestSendRefused(MessagingEditor& editor) {
  MIDIMessageManager* manager = editor.messageManager();
  return manager && manager->requestSendRefused;
}

}  // namespace

std::string ProgressText(const char* what, int done, int count) {
  return what + std::to_string(done) + " of " + std::to_string(count);
}

void AwaitPanelProgram(MessagingEditor& editor, int slot) {
  if (MIDIMessageManager* manager = editor.messageManager()) {
    if (slot >= 0) manager->otherReply = -1;  // kept after the wait, for the job to say
    manager->awaitedPanelProgram = slot;
  }
}

std::string OtherReplyText(int typeAndNumber) {
  const int type = typeAndNumber / 128, number = typeAndNumber % 128;
  if (type == 0) return "Slot " + std::string(1, char('A' + std::clamp(number, 0, 3))) + " sent: not loaded!";
  return "Bank " + std::to_string(type - 1) + " Prog " + std::to_string(number + 1) + " sent: check model!";
}

namespace {

// How a step of a wait ends on what came of the request: its reply, another model's, or
// a refused send that nothing can answer (a time-out); nothing while the wait goes on.
std::optional<WaitEnd> EndFromUnit(MessagingEditor& editor) {
  if (editor.isDataProcessed()) return WaitEnd::kReply;
  if (OtherReplyCame(editor)) return WaitEnd::kOtherReply;
  if (RequestSendRefused(editor)) return WaitEnd::kTimeOut;
  return std::nullopt;
}

WaitEnd ProbedSteps(MIDIMessageSender& sender, int stepMillis, const std::function<bool(int id)>& probe) {
  MessagingEditor& editor = JobEditor(sender);
  const bool portsSet = MIDIMessageSender::portsSetAtJobStart();
  for (int step = 1;; ++step) {
    JobPauseMillis(sender, stepMillis);
    AskAgainAfterLateReply(editor);
    if (step == kProbeStep) {
      for (int id = 0; id < kDeviceIds; ++id) {
        if (!probe(id)) return WaitEnd::kAbandoned;
        editor.showStatus("Please wait, checking DeviceID " + std::to_string(id + 1));
        JobPauseMillis(sender, stepMillis);
        if (JobStopRequested(sender) || editor.isDataProcessed() || (portsSet && !editor.isMidiIOSet()) ||
            RequestSendRefused(editor))
          break;
      }
    }
    if (portsSet && !editor.isMidiIOSet()) return WaitEnd::kPortsClosed;
    if (step == kMainSteps) return WaitEnd::kTimeOut;
    if (JobStopRequested(sender)) return WaitEnd::kCancel;
    if (const std::optional<WaitEnd> end = EndFromUnit(editor)) return *end;
  }
}

WaitEnd PlainSteps(MIDIMessageSender& sender, int stepMillis, int steps) {
  MessagingEditor& editor = JobEditor(sender);
  const bool portsSet = MIDIMessageSender::portsSetAtJobStart();
  for (int step = 1;; ++step) {
    JobPauseMillis(sender, stepMillis);
    AskAgainAfterLateReply(editor);
    if (portsSet && !editor.isMidiIOSet()) return WaitEnd::kPortsClosed;
    if (JobStopRequested(sender)) return WaitEnd::kCancel;
    if (step >= steps) return WaitEnd::kTimeOut;
    if (const std::optional<WaitEnd> end = EndFromUnit(editor)) return *end;
  }
}

}  // namespace

WaitEnd WaitWithProbing(MIDIMessageSender& sender, int stepMillis, const std::function<bool(int id)>& probe) {
  const WaitEnd end = ProbedSteps(sender, stepMillis, probe);
  EndRequest(JobEditor(sender));
  return end;
}

WaitEnd WaitSteps(MIDIMessageSender& sender, int stepMillis, int steps) {
  const WaitEnd end = PlainSteps(sender, stepMillis, steps);
  EndRequest(JobEditor(sender));
  return end;
}

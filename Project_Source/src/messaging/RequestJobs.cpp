// Jobs 4-9: ask the synthesizer for its performance or programs, into the panel or
// the librarian's selected slot, and wait for the SysEx dispatch to take the reply.

#include <string>

#include "Framework/IParam.h"
#include "librarian/TavroParams.h"
#include "messaging/DumpParameters.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/TransferJobSteps.h"
#include "messaging/TransferJobs.h"

namespace {

constexpr int kPerformanceSteps = 15;
constexpr int kBankProgramSteps = 20;

int Model(MessagingEditor& editor) { return editor.panelParameters().Model(); }

bool InRange(int slot, int count) { return slot >= 0 && slot < count; }

constexpr const char* kRequestCancelled = "Data request Cancelled!";

void ShowCancelled(MIDIMessageSender& sender) {
  if (sender.cancelRequested()) JobEditor(sender).showStatus(kRequestCancelled);
}

// A request's outcome; one kept while another transfer ran follows that transfer's
// outcome on the line instead of replacing it.
void ShowOutcome(MIDIMessageSender& sender, const JobArgs& args, const std::string& text) {
  JobEditor(sender).showStatus(args.priorOutcome.empty() ? text : args.priorOutcome + " / " + text);
}

// A reply taken into the panel: the dispatch said nothing while the job ran. A kept
// request says what it received.
void ShowPanelReply(MIDIMessageSender& sender, const JobArgs& args) {
  if (args.priorOutcome.empty()) {
    JobEditor(sender).showStatus(kDataProcessedReady);
    return;
  }
  const bool performance = args.jobCode == kJobRequestArrangement;
  const IParam* shown = JobEditor(sender).editorParam(performance ? TavroParam::kCurrentPerfProgram
                                                                  : TavroParam::kCurrentProgram + args.slot);
  const std::string number = shown ? std::to_string(shown->Int() + 1) : "";
  ShowOutcome(sender, args, (performance ? "Performance " : "Program ") + number + " received");
}

void ShowOtherReply(MIDIMessageSender& sender, const JobArgs& args) {
  if (MIDIMessageManager* manager = JobEditor(sender).messageManager())
    ShowOutcome(sender, args, OtherReplyText(manager->otherReply));
}

// The unit answered a librarian request in the other family's form: nothing was
// loaded, and the line names the family, as a check would.
std::string OtherModelStop(MIDIMessageSender& sender) {
  sender.timedOut = true;
  return OtherModelsText(Model(JobEditor(sender)));
}

// A request under way: the overlay shows, and the line drops what an earlier step said
// ("Data processed - Ready!" of the last request) until the request says its own. A
// kept request leaves the outcome of the transfer before it readable.
void ShowRequestUnderWay(MessagingEditor& editor, const std::string& priorOutcome = {}) {
  editor.DisplayProcessingIndicator(true);
  editor.showStatus(priorOutcome);
}

// A kept request cancelled: said after the outcome before it.
void ShowCancelled(MIDIMessageSender& sender, const JobArgs& args) {
  if (sender.cancelRequested()) ShowOutcome(sender, args, kRequestCancelled);
}

// A probed wait for one request whose reply needs no text of its own.
WaitEnd RequestWithProbing(MIDIMessageSender& sender, uint8_t type, int number, int step) {
  MessagingEditor& editor = JobEditor(sender);
  return WaitWithProbing(sender, step, [&editor, type, number](int id) {
    SendRequest(editor, id, type, number);
    return true;
  });
}

void sendActiveArrangementRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  if (!args.toPanel && !LibrarianCanReceive(editor, kPerformanceKind)) return;
  ShowRequestUnderWay(editor, args.priorOutcome);
  editor.SetLibrarianRequestActive(!args.toPanel);
  if (args.toPanel) SetTabRefreshPending(editor);
  MIDIMessageManager* manager = editor.messageManager();
  if (manager && args.toPanel) manager->performanceAskedInMode = args.askedInPerformanceMode ? 1 : 0;
  sender.timedOut = false;
  JobPauseMillis(sender, step);
  SendRequest(editor, editor.getDeviceId(), kEditPerformanceRequest, 0);
  const WaitEnd end = RequestWithProbing(sender, kEditPerformanceRequest, 0, step);
  if (manager) manager->performanceAskedInMode = -1;
  // A reply stored during the last step still marks the bank; the time-out is said last.
  if (!args.toPanel) ReportLibrarianStore(editor, end == WaitEnd::kReply);
  if (args.toPanel && end == WaitEnd::kReply) ShowPanelReply(sender, args);
  if (end == WaitEnd::kTimeOut) ShowOutcome(sender, args, TimeOutText(sender, "No response from Nord!"));
  ShowCancelled(sender, args);
  editor.DisplayProcessingIndicator(false);
}

void sendPartRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  ShowRequestUnderWay(editor, args.priorOutcome);
  editor.SetLibrarianRequestActive(false);
  AwaitPanelProgram(editor, args.slot);
  sender.timedOut = false;
  const uint8_t type = SlotProgramRequestType(Model(editor));
  SendRequest(editor, editor.getDeviceId(), type, args.slot);
  const WaitEnd end = RequestWithProbing(sender, type, args.slot, step);
  AwaitPanelProgram(editor, -1);
  if (end == WaitEnd::kReply) ShowPanelReply(sender, args);
  if (end == WaitEnd::kTimeOut)
    ShowOutcome(sender, args, UnansweredText(sender, Model(editor), step, "No response from Hardware!"));
  if (end == WaitEnd::kOtherReply) ShowOtherReply(sender, args);
  ShowCancelled(sender, args);
  editor.DisplayProcessingIndicator(false);
}

// A request of one dump for the librarian's selected slot: false, starting nothing,
// when that slot cannot keep a dump of the kind; else the indicator shows and the
// reply is marked the librarian's.
bool BeginLibrarianRequest(MIDIMessageSender& sender, PatchKind kind) {
  MessagingEditor& editor = JobEditor(sender);
  if (!LibrarianCanReceive(editor, kind)) return false;
  ShowRequestUnderWay(editor);
  editor.SetLibrarianRequestActive(true);
  sender.timedOut = false;
  return true;
}

// Its end: the store reported, a time-out or cancel said (an abandoned probe has said
// why already), the indicator hidden.
void EndLibrarianRequest(MIDIMessageSender& sender, WaitEnd end, int stepMillis, const char* timeOutText) {
  MessagingEditor& editor = JobEditor(sender);
  ReportLibrarianStore(editor, end == WaitEnd::kReply);
  if (end == WaitEnd::kTimeOut) editor.showStatus(UnansweredText(sender, Model(editor), stepMillis, timeOutText));
  if (end == WaitEnd::kOtherReply) JobEditor(sender).showStatus(OtherModelStop(sender));
  if (end != WaitEnd::kAbandoned) ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

void sendSinglePatchRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  // Either form's reply goes to the selected slot, which must be able to keep it.
  if (!BeginLibrarianRequest(sender, kProgramKind)) return;
  const int model = Model(editor);
  const uint8_t type = args.useActiveSlot ? SlotProgramRequestType(model) : StoredProgramRequestType(model, args.bank);
  // The stored program is the librarian's selected slot, which must lie in the bank
  // (a negative slot went out as 0xFF).
  auto number = [&editor, &args]() {
    return args.useActiveSlot ? editor.getActiveSlot() : SelectedLibrarianSlot(editor);
  };
  auto sendable = [&args](int n) { return args.useActiveSlot || InRange(n, kProgramBankSize); };
  SendRequest(editor, editor.getDeviceId(), type, number());
  const WaitEnd end = WaitWithProbing(sender, step, [&](int id) {
    const int n = number();
    if (!sendable(n)) return false;
    SendRequest(editor, id, type, n);
    return true;
  });
  EndLibrarianRequest(sender, end, step, "No response from Hardware!");
}

void sendSingleMultiRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  if (!BeginLibrarianRequest(sender, kPerformanceKind)) return;
  SendRequest(editor, editor.getDeviceId(), StoredPerformanceRequestType(Model(editor), args.bank),
              SelectedLibrarianSlot(editor));
  EndLibrarianRequest(sender, WaitSteps(sender, step, kPerformanceSteps), step, "CONNECTION TIMED OUT!");
}

// A whole bank, one request at a time into consecutive librarian slots from 0; stops
// at the first time-out, cancel or refusal, keeping what arrived. Whatever was stored
// marks the bank unsaved; a bank cut short says why, then how much of it came.
void RequestBank(MIDIMessageSender& sender, PatchKind kind, uint8_t type, int count, int steps) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  SetSelectedLibrarianSlot(editor, 0);
  if (!LibrarianCanReceive(editor, kind)) return;
  editor.DisplayProcessingIndicator(true);  // the progress is said at once
  sender.timedOut = false;
  int received = 0;
  std::string stopped;  // why the bank ended early
  for (int number = 0; number < count; ++number) {
    editor.showStatus(ProgressText("Receiving ", number + 1, count));
    editor.SetLibrarianRequestActive(true);
    ExpectLibrarianReplyNumber(editor, number);
    SendRequest(editor, editor.getDeviceId(), type, number);
    const WaitEnd end = WaitSteps(sender, step, steps);
    // A first request unanswered may be of the other models' form; later ones were read.
    if (end == WaitEnd::kTimeOut && number == 0)
      stopped = UnansweredText(sender, Model(editor), step, "CONNECTION TIMED OUT!");
    if (end == WaitEnd::kTimeOut && number > 0) stopped = TimeOutText(sender, "CONNECTION TIMED OUT!");
    if (end == WaitEnd::kOtherReply) stopped = OtherModelStop(sender);
    if (end == WaitEnd::kPortsClosed) stopped = kSetPortsFirst;
    const SlotStore stored = LastLibrarianStore(editor);
    if (stored == SlotStore::kStored) ++received;
    if (end == WaitEnd::kReply && stored != SlotStore::kStored) stopped = StoreRefusal(editor, stored);
    if (end != WaitEnd::kReply || stored != SlotStore::kStored) break;
    SetSelectedLibrarianSlot(editor, SelectedLibrarianSlot(editor) + 1);
  }
  SetSelectedLibrarianSlot(editor, 0);
  if (received > 0) editor.SetLibrarianStatusUnsaved(true);
  if (sender.cancelRequested()) stopped = kRequestCancelled;
  if (received > 0 && received < count) {
    const char* what = kind == kPerformanceKind ? " performances received" : " programs received";
    const std::string only = "Only " + std::to_string(received) + " of " + std::to_string(count) + what;
    stopped = stopped.empty() ? only : stopped + " / " + only;
  }
  if (!stopped.empty()) editor.showStatus(stopped);
  editor.DisplayProcessingIndicator(false);
}

void sendAllMultiRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  const int model = Model(JobEditor(sender));
  RequestBank(sender, kPerformanceKind, StoredPerformanceRequestType(model, args.bank), kPerformanceBankSize,
              kPerformanceSteps);
}

void sendAllPatchRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  const int model = Model(JobEditor(sender));
  RequestBank(sender, kProgramKind, StoredProgramRequestType(model, args.bank), kProgramBankSize, kBankProgramSteps);
}

}  // namespace

void installRequestJobs(MIDIMessageSender& sender) {
  sender.setJob(kJobRequestArrangement, &sendActiveArrangementRequestSysex);
  sender.setJob(kJobRequestPart, &sendPartRequestSysex);
  sender.setJob(kJobRequestSingleMulti, &sendSingleMultiRequestSysex);
  sender.setJob(kJobRequestAllMulti, &sendAllMultiRequestSysex);
  sender.setJob(kJobRequestSinglePatch, &sendSinglePatchRequestSysex);
  sender.setJob(kJobRequestAllPatches, &sendAllPatchRequestSysex);
}

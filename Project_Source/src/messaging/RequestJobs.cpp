// Jobs 4-9: ask the synthesizer for its performance or programs, into the panel or
// the librarian's selected slot, and wait for the SysEx dispatch to take the reply.

#include "DumpParameters.h"
#include "MIDIMessageSender.h"
#include "MessagingEditor.h"
#include "TransferJobSteps.h"
#include "TransferJobs.h"

namespace {

constexpr int kPerformanceSteps = 15;
constexpr int kBankProgramSteps = 20;

int Model(MessagingEditor& editor) { return editor.panelParameters().Model(); }

bool InRange(int slot, int count) { return slot >= 0 && slot < count; }

void ShowCancelled(MIDIMessageSender& sender) {
  if (sender.cancelRequested()) JobEditor(sender).showStatus("Data request Cancelled!");
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
  editor.DisplayProcessingIndicator(true);
  editor.SetLibrarianRequestActive(!args.toPanel);
  if (args.toPanel) SetTabRefreshPending(editor);
  sender.timedOut = false;
  JobPauseMillis(sender, step);
  SendRequest(editor, editor.getDeviceId(), kEditPerformanceRequest, 0);
  const WaitEnd end = RequestWithProbing(sender, kEditPerformanceRequest, 0, step);
  if (end == WaitEnd::kTimeOut) {
    editor.showStatus("No response from Nord!");
    sender.timedOut = true;
  } else if (end == WaitEnd::kReply && !args.toPanel) {
    editor.SetLibrarianStatusUnsaved(true);
  }
  ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

void sendPartRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  editor.DisplayProcessingIndicator(true);
  editor.SetLibrarianRequestActive(false);
  sender.timedOut = false;
  const uint8_t type = SlotProgramRequestType(Model(editor));
  SendRequest(editor, editor.getDeviceId(), type, args.slot);
  if (RequestWithProbing(sender, type, args.slot, step) == WaitEnd::kTimeOut) {
    editor.showStatus("No response from Hardware!");
    sender.timedOut = true;
  }
  ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

void sendSinglePatchRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  editor.DisplayProcessingIndicator(true);
  editor.SetLibrarianRequestActive(true);
  sender.timedOut = false;
  const int model = Model(editor);
  const uint8_t type = args.useActiveSlot ? SlotProgramRequestType(model) : StoredProgramRequestType(model, args.bank);
  // The stored program is the librarian's selected slot, which must lie in the bank
  // (a negative slot went out as 0xFF).
  auto number = [&editor, &args]() {
    return args.useActiveSlot ? editor.getActiveSlot() : SelectedLibrarianSlot(editor);
  };
  auto sendable = [&args](int n) { return args.useActiveSlot || InRange(n, kProgramBankSize); };
  if (!sendable(number())) {
    editor.DisplayProcessingIndicator(false);
    return;
  }
  SendRequest(editor, editor.getDeviceId(), type, number());
  const WaitEnd end = WaitWithProbing(sender, step, [&](int id) {
    const int n = number();
    if (!sendable(n)) return false;
    SendRequest(editor, id, type, n);
    return true;
  });
  if (end == WaitEnd::kReply && !sender.cancelRequested()) editor.SetLibrarianStatusUnsaved(true);
  if (end == WaitEnd::kTimeOut) {
    editor.showStatus("No response from Hardware!");
    sender.timedOut = true;
  }
  if (end != WaitEnd::kAbandoned) ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

void sendSingleMultiRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  editor.DisplayProcessingIndicator(true);
  editor.SetLibrarianRequestActive(true);
  const int number = SelectedLibrarianSlot(editor);
  if (!InRange(number, kPerformanceBankSize)) {
    editor.DisplayProcessingIndicator(false);
    return;
  }
  SendRequest(editor, editor.getDeviceId(), StoredPerformanceRequestType(Model(editor), args.bank), number);
  sender.timedOut = false;
  const WaitEnd end = WaitSteps(sender, step, kPerformanceSteps);
  if (end == WaitEnd::kTimeOut) {
    editor.showStatus("CONNECTION TIMED OUT!");
    sender.timedOut = true;
  } else if (end == WaitEnd::kReply && !sender.cancelRequested()) {
    editor.SetLibrarianStatusUnsaved(true);
  }
  ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

// A whole bank, one request at a time into consecutive librarian slots from 0; stops
// at the first time-out or cancel, keeping what arrived.
void RequestBank(MIDIMessageSender& sender, uint8_t type, int count, int steps) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  editor.DisplayProcessingIndicator(true);
  SetSelectedLibrarianSlot(editor, 0);
  sender.timedOut = false;
  bool complete = true;
  for (int number = 0; number < count; ++number) {
    editor.SetLibrarianRequestActive(true);
    SendRequest(editor, editor.getDeviceId(), type, number);
    const WaitEnd end = WaitSteps(sender, step, steps);
    if (end == WaitEnd::kTimeOut) {
      editor.showStatus("CONNECTION TIMED OUT!");
      sender.timedOut = true;
    }
    if (end != WaitEnd::kReply) {
      complete = false;
      break;
    }
    SetSelectedLibrarianSlot(editor, SelectedLibrarianSlot(editor) + 1);
  }
  SetSelectedLibrarianSlot(editor, 0);
  if (complete) editor.SetLibrarianStatusUnsaved(true);
  ShowCancelled(sender);
  editor.DisplayProcessingIndicator(false);
}

void sendAllMultiRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  const int model = Model(JobEditor(sender));
  RequestBank(sender, StoredPerformanceRequestType(model, args.bank), kPerformanceBankSize, kPerformanceSteps);
}

void sendAllPatchRequestSysex(MIDIMessageSender& sender, const JobArgs& args) {
  const int model = Model(JobEditor(sender));
  RequestBank(sender, StoredProgramRequestType(model, args.bank), kProgramBankSize, kBankProgramSteps);
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

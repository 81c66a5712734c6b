// A request of the panel's model that the unit does not answer: is the unit there and
// of the other models? The two model families ask a slot's program with different
// message types, and each reads the other's type as something else or not at all.

#include <string>

#include "librarian/PatchTemplates.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/TransferJobSteps.h"

namespace {

constexpr int kCheckSteps = 5;
// Awaited by no program dump (slot bytes end at 0x7F): every program that comes is
// kept aside as the other reply and loaded nowhere.
constexpr int kNoProgramAwaited = 0x80;

// Slot A's program asked in the other family's form; true when a slot program comes.
bool UnitAnswersOtherModels(MIDIMessageSender& sender, int model, int stepMillis) {
  MessagingEditor& editor = JobEditor(sender);
  MIDIMessageManager* manager = editor.messageManager();
  if (!manager) return false;
  // Not for the librarian: a reply to the check is no program of its bank.
  editor.SetLibrarianRequestActive(false);
  AwaitPanelProgram(editor, kNoProgramAwaited);
  const int otherModel = model == kTenBankModel ? 0 : kTenBankModel;
  SendRequest(editor, editor.getDeviceId(), SlotProgramRequestType(otherModel), 0, otherModel);
  for (int step = 0; step < kCheckSteps && manager->otherReply.load() < 0 && !JobStopRequested(sender); ++step) {
    JobPauseMillis(sender, stepMillis);
    AskAgainAfterLateReply(editor);
  }
  EndRequest(editor);
  const int reply = manager->otherReply.load();
  AwaitPanelProgram(editor, -1);
  // Type 0 is an edit slot's program; anything else (a late stored program) says the
  // unit is there and reads this model's requests.
  return reply >= 0 && reply / 128 == 0;
}

}  // namespace

std::string OtherModelsText(int model) {
  return model == kTenBankModel ? "Unit answers NL1/NL2 requests: check model!"
                                : "Unit answers NL2x requests: check model!";
}

std::string UnansweredText(MIDIMessageSender& sender, int model, int stepMillis, const char* timeOutText) {
  MessagingEditor& editor = JobEditor(sender);
  MIDIMessageManager* manager = editor.messageManager();
  // Nothing came though the request went (a refused one never left).
  const bool nothingCame = manager && !manager->replyUnreadable && !manager->requestSendRefused;
  if (nothingCame && editor.isMidiIOSet() && !JobStopRequested(sender) &&
      UnitAnswersOtherModels(sender, model, stepMillis)) {
    sender.timedOut = true;
    return OtherModelsText(model);
  }
  return TimeOutText(sender, timeOutText);
}

// Jobs 1 and 11: one program into the synthesizer or the librarian. A dump meant for
// the librarian or the panel goes straight to the editor's SysEx input (the port's
// own filter would drop it).

#include <algorithm>
#include <iterator>
#include <vector>

#include "librarian/TavroParams.h"
#include "messaging/JobSteps.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"
#include "messaging/TransferJobs.h"

namespace {

constexpr int kSettleMillis = 500;

// The name the part goes with: the rename text while a librarian slot is renamed,
// else the slot's name, which the editor also keeps ("Set Name" when empty).
std::string PartName(MessagingEditor& editor, int slot) {
  if (editor.librarianRenameActive()) return editor.nameText(kPatchRename);
  const std::string name = editor.nameText(kPatchName + slot);
  editor.keepPatchName(slot + 1, name.empty() ? "Set Name" : name);
  return name;
}

void sendPartToDevice(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  editor.DisplayProcessingIndicator(true);
  const ProgramDumpCoder* coder = editor.programDumpCoder();
  SendOutcome outcome(editor);
  std::vector<uint8_t> dump;
  if (coder) dump = coder->Build(editor.panelParameters(), args.slot, editor.getDeviceId());
  if (!dump.empty()) {
    const std::string name = PartName(editor, args.slot);
    if (args.toLibrarian)
      StoreInLibrarianSlot(editor, ProgramDumpCoder::WithName(dump, name));
    else if (!editor.isMidiIOSet())
      editor.showStatus(kSetPortsFirst);  // nothing was sent: no send failed
    else
      outcome.note(editor.checksumCheckAndSend(dump.data(), static_cast<int>(dump.size())));
  }
  JobPauseMillis(sender, kSettleMillis);
  outcome.finish(sender);
  editor.DisplayProcessingIndicator(false);
}

void initPatch(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  std::vector<uint8_t> init(std::begin(kInitProgram), std::end(kInitProgram));
  editor.DisplayProcessingIndicator(true);
  init[2] = static_cast<uint8_t>(std::clamp(editor.getDeviceId(), 0, 15));
  if (args.toHardware && !editor.isMidiIOSet()) {
    editor.showStatus(kSetPortsFirst);
  } else if (args.toHardware) {
    init[5] = static_cast<uint8_t>(std::clamp(editor.getActiveSlot(), 0, 3));
    SendInitToHardware(sender, init, "Patch INIT Sent!");
  } else {
    InitializeLibrarianSlot(editor, init, false);
  }
  editor.DisplayProcessingIndicator(false);
}

}  // namespace

void installPartSendJobs(MIDIMessageSender& sender) {
  sender.setJob(kJobSendPart, &sendPartToDevice);
  sender.setJob(kJobInitPatch, &initPatch);
}

// Jobs 1 and 11: one program into the synthesizer or the librarian. A dump meant for
// the librarian or the panel goes straight to the editor's SysEx input (the port's
// own input would drop it).

#include <algorithm>
#include <iterator>
#include <vector>

#include "MIDIMessageSender.h"
#include "MessagingEditor.h"
#include "ProgramDumpCoder.h"
#include "TransferJobSteps.h"
#include "TransferJobs.h"

namespace {

constexpr int kSettleMillis = 500;
constexpr int kInitLoadPauses = 100;
constexpr int kInitLoadPauseMillis = 25;

void sendPartToDevice(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  editor.DisplayProcessingIndicator(true);
  const ProgramDumpCoder* coder = editor.programDumpCoder();
  std::vector<uint8_t> dump;
  if (coder) dump = coder->Build(editor.dumpParameters(), args.slot, editor.getDeviceId());
  if (!dump.empty()) {
    const std::string name = editor.takePartNameForSend(args.slot);
    if (args.toLibrarian) {
      const std::vector<uint8_t> named = ProgramDumpCoder::WithName(dump, name);
      editor.SetLibrarianRequestActive(true);
      editor.feedSysExFromDevice(named.data(), named.size());
      editor.SetLibrarianStatusUnsaved(true);
    } else {
      editor.checksumCheckAndSend(dump.data(), static_cast<int>(dump.size()));
    }
  }
  JobPauseMillis(sender, kSettleMillis);
  editor.DisplayProcessingIndicator(false);
}

void initPatch(MIDIMessageSender& sender, const JobArgs& args) {
  MessagingEditor& editor = JobEditor(sender);
  std::vector<uint8_t> init(std::begin(kInitProgram), std::end(kInitProgram));
  editor.DisplayProcessingIndicator(true);
  init[2] = static_cast<uint8_t>(std::clamp(editor.getDeviceId(), 0, 15));
  if (args.toHardware) {
    init[5] = static_cast<uint8_t>(std::clamp(editor.getActiveSlot(), 0, 3));
    editor.SendMidiSysex2(init);
    editor.SetLibrarianRequestActive(false);
    editor.feedSysExFromDevice(init.data(), init.size());
    for (int pause = 1; pause <= kInitLoadPauses; ++pause) {
      JobPauseMillis(sender, kInitLoadPauseMillis);
      editor.showStatus("Processing, please wait...");
      if (pause == kInitLoadPauses) {
        editor.showStatus("CONNECTION TIMED OUT!");
        sender.timedOut = true;
      } else if (editor.isDataProcessed()) {
        editor.showStatus("Patch INIT Sent!");
        break;
      }
    }
  } else {
    editor.SetLibrarianRequestActive(true);
    editor.feedSysExFromDevice(init.data(), init.size());
    editor.SetLibrarianStatusUnsaved(true);
  }
  editor.DisplayProcessingIndicator(false);
}

}  // namespace

void installPartSendJobs(MIDIMessageSender& sender) {
  sender.setJob(kJobSendPart, &sendPartToDevice);
  sender.setJob(kJobInitPatch, &initPatch);
}

// Job 12: finds the synthesizer after a port was chosen. The request for the edit
// performance doubles as the enquiry; whichever id answers becomes the device id (the
// SysEx dispatch stores it) and the device-id parameter, so a saved project keeps it.

#include "librarian/TavroParams.h"
#include "messaging/DumpParameters.h"
#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"
#include "messaging/TransferJobSteps.h"
#include "messaging/TransferJobs.h"

namespace {

void sendDeviceIdEnquiry(MIDIMessageSender& sender, const JobArgs&) {
  MessagingEditor& editor = JobEditor(sender);
  const int step = editor.getTimerValue();
  editor.DisplayProcessingIndicator(true);
  editor.SetLibrarianRequestActive(false);
  // The reply goes to the enquiry, not to the panel's parsers.
  SetTransferInProgress(editor, false);
  editor.showStatus("Connecting to Hardware");
  sender.timedOut = false;
  editor.setDeviceEnquiryPending(true);
  JobPauseMillis(sender, step);
  SendRequest(editor, editor.getDeviceId(), kEditPerformanceRequest, 0);
  const WaitEnd end = WaitWithProbing(sender, step, [&editor](int id) {
    SendRequest(editor, id, kEditPerformanceRequest, 0);
    return true;
  });
  if (end == WaitEnd::kReply) {
    editor.panelParameters().SetValue(kDeviceID, editor.getDeviceId());
    editor.showStatus("Plug-in is ready to go!");
    JobPauseMillis(sender, step);
  } else {
    if (end == WaitEnd::kTimeOut) {
      const std::string said = TimeOutText(sender, "No response from Hardware!");
      // Ports closed meanwhile (the MIDI system went): the line keeps saying why.
      if (editor.isMidiIOSet()) editor.showStatus(said);
    }
    if (sender.cancelRequested()) editor.showStatus("Data request CANCELLED!");
    // Left pending, the next requested performance would pass for the answer.
    editor.setDeviceEnquiryPending(false);
  }
  editor.DisplayProcessingIndicator(false);
}

}  // namespace

void installDeviceEnquiryJob(MIDIMessageSender& sender) { sender.setJob(kJobDeviceIdEnquiry, &sendDeviceIdEnquiry); }

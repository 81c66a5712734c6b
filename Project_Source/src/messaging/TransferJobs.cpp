#include "TransferJobs.h"

void installTransferJobs(MIDIMessageSender& sender) {
  installPartSendJobs(sender);
  installRequestJobs(sender);
  installDeviceEnquiryJob(sender);
}

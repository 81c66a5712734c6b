#include "TransferJobs.h"

#include "LibrarianSends.h"
#include "MIDIMessageSenderPerformance.h"

void installTransferJobs(MIDIMessageSender& sender) {
  installPerformanceJobs(sender);
  installPartSendJobs(sender);
  installLibrarianSendJobs(sender);
  installRequestJobs(sender);
  installDeviceEnquiryJob(sender);
}

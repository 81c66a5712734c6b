#include "messaging/TransferJobs.h"

#include "messaging/LibrarianSends.h"
#include "messaging/MIDIMessageSenderPerformance.h"

void installTransferJobs(MIDIMessageSender& sender) {
  installPerformanceJobs(sender);
  installPartSendJobs(sender);
  installLibrarianSendJobs(sender);
  installRequestJobs(sender);
  installDeviceEnquiryJob(sender);
}

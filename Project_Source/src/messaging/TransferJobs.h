#pragma once
// The transfer functions of the job codes, installed on the sender by the manager.
// One installer per group of jobs, each declared in its group's header;
// installTransferJobs calls them all.
//
// threads: main (before the first start).

class MIDIMessageSender;

void installTransferJobs(MIDIMessageSender& sender);

// 1 (send a part), 11 (the INIT program): PartSendJobs.cpp.
void installPartSendJobs(MIDIMessageSender& sender);
// 4-9 (dump requests): RequestJobs.cpp.
void installRequestJobs(MIDIMessageSender& sender);
// 12 (device-id enquiry): DeviceEnquiryJob.cpp.
void installDeviceEnquiryJob(MIDIMessageSender& sender);

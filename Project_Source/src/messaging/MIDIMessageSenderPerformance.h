#pragma once
// Jobs 0 and 10: the panel's whole performance to the synthesizer's edit buffer or,
// named, to the librarian's selected slot; the INIT performance to the synthesizer
// and the panel, or to the librarian.
//
// threads: main (install, before the first start); the jobs run on worker (transfer).

class MIDIMessageSender;

void installPerformanceJobs(MIDIMessageSender& sender);

#pragma once
// Jobs 0 and 10: the panel's whole performance to the synthesizer's edit buffer or,
// named, to the librarian's selected slot; the INIT performance to the synthesizer
// and the panel, or to the librarian.
//
// threads: install on main before the first start; the jobs run on the transfer thread.

class MIDIMessageSender;

void installPerformanceJobs(MIDIMessageSender& sender);

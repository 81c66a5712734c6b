#pragma once
// Jobs 2 and 3: a librarian slot becomes the synthesizer's current sound (loaded into
// the panel first, then sent from it), and a librarian bank is written into one of
// the synthesizer's memory banks, paced so each store has time to land.
//
// threads: main (install, before the first start); the jobs run on worker (transfer).

class MIDIMessageSender;

void installLibrarianSendJobs(MIDIMessageSender& sender);

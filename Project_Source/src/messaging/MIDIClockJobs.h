#pragma once
// Jobs 14, 15 and 16 of the transfer engine: MIDI Start, the clock loop and MIDI Stop
// of the plug-in object's own clock.

class MIDIClockLink;
class MIDIMessageSender;

// Gives the sender a clock output speaking through `link` (which outlives the sender)
// and installs the three jobs over it.
// threads: main (before the first start)
void installMIDIClockJobs(MIDIMessageSender& sender, MIDIClockLink& link);

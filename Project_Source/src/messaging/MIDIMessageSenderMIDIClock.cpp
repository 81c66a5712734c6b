#include "messaging/MIDIClockJobs.h"

#include <memory>

#include "messaging/MIDIClockOutput.h"
#include "messaging/MIDIMessageSender.h"

namespace {

void startMIDIClockOutput(MIDIMessageSender& sender, const JobArgs&) {
  if (MIDIClockOutput* clock = sender.clock()) clock->startMIDIClockOutput();
}

// The loop runs on the clock output's own thread: this job only joins a run that has
// ended and starts the next, so a restart right after a switch-off is never dropped
// while the old run winds down.
void sendContinuousMIDIClock(MIDIMessageSender& sender, const JobArgs&) {
  if (MIDIClockOutput* clock = sender.clock()) clock->StartContinuousClock();
}

void stopMIDIClockOutput(MIDIMessageSender& sender, const JobArgs&) {
  if (MIDIClockOutput* clock = sender.clock()) clock->stopMIDIClockOutput();
}

}  // namespace

void installMIDIClockJobs(MIDIMessageSender& sender, MIDIClockLink& link) {
  sender.setClock(std::make_unique<MIDIClockOutput>(link));
  sender.setJob(kJobStartClock, &startMIDIClockOutput);
  sender.setJob(kJobContinuousClock, &sendContinuousMIDIClock);
  sender.setJob(kJobStopClock, &stopMIDIClockOutput);
}

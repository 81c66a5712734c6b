#include "messaging/SendOutcome.h"

#include "messaging/MIDIMessageSender.h"
#include "messaging/MessagingEditor.h"

namespace {
constexpr uint64_t kSettleStepMicros = 5 * 1000;
constexpr int kSettleSteps = 600;  // 3 s: a JACK output settles within two periods
}  // namespace

SendOutcome::SendOutcome(MessagingEditor& editor) : editor_(editor), lostBefore_(editor.lostMidiOutput()) {}

bool SendOutcome::note(bool sent) {
  refused_ |= !sent;
  return sent;
}

bool SendOutcome::finish(MIDIMessageSender& sender) {
  for (int step = 0; step < kSettleSteps && !editor_.midiOutputSettled(); ++step) {
    if (!sender.pause(kSettleStepMicros)) break;  // shutting down
  }
  const bool went = !refused_ && editor_.midiOutputSettled() && editor_.lostMidiOutput() == lostBefore_;
  if (!went) editor_.showStatus(kMidiSendFailed);
  return went;
}

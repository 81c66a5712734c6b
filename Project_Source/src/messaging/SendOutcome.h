#pragma once
// What became of the messages a job sent to the synthesizer: each send's result,
// and the output's lost count from the job's start to its end, the MIDI clock's
// real-time bytes left out (they are not the job's). A job one of whose
// messages was refused or lost ends with kMidiSendFailed on the status line, never
// with its success text.
// threads: worker (one job's own object)

#include <cstdint>

class MessagingEditor;
class MIDIMessageSender;

constexpr const char* kMidiSendFailed = "MIDI send FAILED!";
// How a port whose connection went is opened again.
constexpr const char* kChooseAgainToReconnect = "choose again to reconnect";

class SendOutcome {
public:
  explicit SendOutcome(MessagingEditor& editor);
  // Passes `sent` on, noting a refusal.
  bool note(bool sent);
  bool refused() const { return refused_; }
  // Waits (a few seconds at most) until what was sent has gone out or been counted
  // lost; true when every message went. Otherwise shows kMidiSendFailed.
  bool finish(MIDIMessageSender& sender);

private:
  MessagingEditor& editor_;
  uint64_t lostBefore_;
  bool refused_ = false;
};

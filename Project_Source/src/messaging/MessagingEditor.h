#pragma once
// What the transfer engine reads of and tells the editor. The editor implements it;
// tests use a fake.

class MessagingEditor {
public:
  virtual ~MessagingEditor() = default;

  // Both hardware ports are chosen and open: jobs may talk to the synthesizer.
  // threads: any
  virtual bool isMidiIOSet() const = 0;
  // Starts (true) or ends (false) the busy state of a transfer: the overlay, the
  // transfer flags and the sender's cancel request.
  // threads: main, worker
  virtual void DisplayProcessingIndicator(bool show) = 0;
};

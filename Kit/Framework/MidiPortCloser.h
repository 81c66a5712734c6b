#pragma once
// Closes retired MIDI inputs on a thread of its own.
//
// Closing an ALSA input joins the library's midi-in thread; if that thread is
// blocked on the plug-in mutex while main, closing, holds it, both would wait
// for ever. Handing the close to this thread lets the caller go on at once.

#include <deque>
#include <memory>

#include "Kit_ServiceThread.h"
#include "MidiTransport/MidiPortTransport.h"

class MidiPortCloser {
public:
  MidiPortCloser();
  // Closes whatever is still retired, then joins its thread.
  ~MidiPortCloser();

  // Stops `input`'s delivery now and closes and destroys it soon.
  // threads: main
  void Retire(std::unique_ptr<MidiInputTransport> input);
  // Waits until every input retired so far is closed.
  // threads: main (never under the plug-in mutex)
  void Finish();

private:
  void Run();

  // Both under service_.Lock().
  std::deque<std::unique_ptr<MidiInputTransport>> retired_;
  bool closing_ = false;  // one is being closed outside the lock
  Kit_ServiceThread service_;
};

#pragma once
// The host's short messages that arrive while a transfer runs and must wait for its
// end, kept in arrival order and given back one at a time. Program changes and
// controllers must wait (they move the panel a dump is being read into, change the
// unit's memory being asked for, or start a transfer of their own); notes, pressure
// and pitch bend may go at once, but only when nothing waits before them, so that the
// order is kept. What ends a note goes at once whatever waits, unless its own start
// waits: a note let sound is never kept sounding for the length of a transfer.
//
// Bounded: kCapacity messages of every kind, a quarter of a minute of a dense
// automation stream at a thousand a second (a bank store takes 16 s to 40 s), then
// kNoteOffReserve more that only Note Offs may take, so a note that was let sound is
// let go even when the hold has filled (16 channels of 128 notes). What is refused
// beyond that is counted, for the editor to say.
//
// threads: main (host, under the plug-in mutex: push, MayOvertake, drain), tick-performer (drain,
// under the plug-in mutex), render (mayRelease). The queue is guarded by the hold's
// own lock (a leaf); the drainers are one at a time, as the plug-in mutex makes them.

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "Framework/IMidiMsg.h"

class HeldMidi {
public:
  static constexpr size_t kCapacity = 16384;
  static constexpr size_t kNoteOffReserve = 16 * 128;

  // Notes, pressure and pitch bend: they change no memory of the unit or the panel.
  static bool MayPassTransfer(const IMidiMsg& msg);

  // A Note Off, a Note On of velocity 0, a sustain off or an All Notes Off that may go
  // past what is held: nothing held on its channel starts what it ends (its note's
  // Note On; a sustain on; for All Notes Off, any Note On).
  bool MayOvertake(const IMidiMsg& msg) const;
  // Keeps the message behind the others; false (counted as refused) when full.
  bool push(const IMidiMsg& msg);
  // The first message that may go now (`transferBusy` holds all but those that may
  // pass it), left at the front until done() so that nothing overtakes it; false
  // when none may go.
  bool front(bool transferBusy, IMidiMsg* msg);
  void done();
  // Never block. threads: any
  bool empty() const { return count_.load() == 0; }
  size_t size() const { return count_.load(); }
  // Something waits that may go now; never blocks. threads: render
  bool mayRelease(bool transferBusy) const;
  // Messages refused since the last call.
  size_t takeRefused();
  // For a close: nothing more is let go, and every kind of note end held (each note's
  // Note Off, a sustain off, an All Notes Off, a channel's first of each) is taken
  // out, in order, to be sent at once, so that nothing the hold let sound keeps
  // sounding; the rest stays, counted by size(). threads: main (under the plug-in mutex)
  std::vector<IMidiMsg> close();

private:
  mutable std::mutex lock_;
  std::array<IMidiMsg, kCapacity + kNoteOffReserve> ring_;  // guarded by lock_
  size_t head_ = 0;                                         // guarded by lock_
  std::atomic<size_t> count_{0};                            // written under lock_
  std::atomic<bool> frontMayPass_{false};                   // written under lock_
  size_t refused_ = 0;                                      // guarded by lock_
  bool closed_ = false;                                     // guarded by lock_
};

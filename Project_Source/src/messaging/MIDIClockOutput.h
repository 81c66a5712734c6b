#pragma once
// MIDI clock to the synthesizer at the host tempo: Start and Stop on the host
// transport's edges, and a stream of Clocks, 24 per quarter note, while the clock
// switch is on. Every plug-in object has its own; two never silence each other.
//
// The clock loop runs on a thread of its own. It sleeps to each Clock's deadline on
// the time source (the n-th Clock is due n intervals after the first), so it neither
// spins a core nor drifts; switching the clock off or closing the object ends the
// sleep at once. The switches themselves are the plug-in's (MIDIClockLink).
// After each Clock the loop reads the host tempo again: a change paces the next
// Clock, its grid starting at the deadline of the Clock just sent.
// A loop that wakes late sends the Clocks it missed at once, up to a beat's worth;
// after a longer stall it starts a new grid. A Clock the port refuses while a port is
// chosen (its connection cut for now) is skipped, and the loop keeps its pace.
//
// threads: render (FollowTransport, UnitBehindHost), worker (clock-control) (the Start
// and Stop jobs), worker (clock) (StartContinuousClock, the loop), main
// (StopContinuousClock, Close).
// Each method says which.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "Kit_StopSignal.h"
#include "messaging/MIDIClockLink.h"

// What a transport edge asks for: nothing, the Start job or the Stop job.
enum class ClockTransportJob { kNone, kStart, kStop };

// The render tick's memory of the transport between two ticks.
struct ClockTransportState {
  bool transportWasRunning = false;
  bool clockStarted = false;  // Start was due for this run of the transport
};

// Follows the host transport, tick by tick: the first running tick after a stop asks
// for the Start job, the first stopped tick after a run for the Stop job, each once
// per edge. With `queueMidiOutput` the edge is recorded and nothing is asked, so
// Start and Stop never reach the port out of turn with queued messages.
// threads: render
ClockTransportJob FollowTransport(bool running, bool queueMidiOutput, ClockTransportState& state);

class MIDIClockOutput {
public:
  static constexpr const char* kNoTempoText = "Unable to get DAW Tempo";
  // How often, a second apart, the loop asks again for a tempo that is 0.
  static constexpr int kTempoPolls = 10;
  static constexpr uint64_t kTempoPollMicros = 1000000;
  // Clocks a stalled loop sends at once when it wakes: up to a beat's worth.
  static constexpr uint64_t kClocksCaughtUp = 24;

  explicit MIDIClockOutput(MIDIClockLink& link) : link_(link) {}
  // Closes: ends a running loop and waits for it.
  // threads: main (never under the plug-in mutex)
  ~MIDIClockOutput() { Close(); }
  MIDIClockOutput(const MIDIClockOutput&) = delete;
  MIDIClockOutput& operator=(const MIDIClockOutput&) = delete;

  // Nanoseconds between two Clocks at `tempo` beats per minute (tempo above 0).
  // threads: any
  static int64_t ClockInterval(int tempo) { return 60000000000LL / (24LL * tempo); }

  // Job 14 and job 16: the host transport started or stopped. With the pointer switch
  // on, the unit is told (Start or Stop) unless it was told the same last: it never
  // hears one edge twice in a row, and always ends in the host's state. A unit never
  // told anything is told Stop only as the host's Stop after its Start (not when a
  // stopped host's state is told again). An edge the port refuses (the unit away) is
  // told once the unit is reached again: before the next Clock, or when the tick asks.
  // threads: worker (clock-control)
  void startMIDIClockOutput() { FollowHost(kMidiStart); }
  void stopMIDIClockOutput() { FollowHost(kMidiStop); }
  // The unit has not heard the host's last edge (it was away, or came back to a port
  // chosen again), or the output reaches another unit than the one last told (its
  // connection came back from outside: another unit, or the same one restarted) while
  // the pointer switch sends edges: the render tick asks for the job of the host's
  // state at once, and now and then while this stays true.
  // threads: any (render included: never waits)
  bool UnitBehindHost() const;

  // The output is about to be moved off the unit it reaches: with the pointer switch
  // on, a unit that may run (told Start, or unsure) is told Stop first.
  // threads: main
  void LeaveUnit();

  // Job 15: starts the clock loop on its own thread, after joining a run that has
  // ended or been stopped, so a switch off and on again always gives a fresh run. A
  // run still going is left alone; after Close nothing starts.
  // threads: worker (clock)
  void StartContinuousClock();
  // Ends the running loop, asleep or polling for a tempo, before its next Clock. A
  // later StartContinuousClock starts a fresh run; this one never comes back.
  // threads: main
  void StopContinuousClock();
  // Stops the loop for good and waits for it.
  // threads: main (never under the plug-in mutex)
  void Close();
  // True while a started loop has not returned.
  // threads: any
  bool LoopRunning() const { return loopRunning_.load(); }

private:
  struct Run {
    Kit_StopSignal stop;
    std::thread thread;
  };

  // The loop itself; returns when `stop` is raised, the switch goes off, no tempo
  // comes or no port is chosen.
  void sendContinuousMIDIClock(Kit_StopSignal& stop);
  // One Clock; false when no port is chosen (a refused Clock is skipped, and a unit
  // that was running is taken to have left: it hears Start when it is back).
  bool SendClock();
  // What the unit on the output was last told of the transport: nothing yet, Start,
  // Stop, or unknown (it left while running, or the port was chosen anew after a unit
  // that may run).
  enum class UnitTransport { kNothing, kStarted, kStopped, kUnsure };
  // threads: worker (clock-control), worker (clock)
  void FollowHost(uint8_t edge);
  // Tells the unit the host's last edge when it has not heard it; a unit told nothing
  // is told Stop only when `stopOwed`. Under edgeLock_.
  void TellUnit(bool stopOwed = false);
  // A send was refused while a port is chosen. Under edgeLock_.
  void UnitAway();
  // Waits for a tempo above 0; 0 when the polls ran out or the stop came.
  int AwaitTempo(Kit_StopSignal& stop);
  void EndRun();

  MIDIClockLink& link_;
  std::atomic<bool> loopRunning_{false};

  // Guards unit_ and the writes of hostEdge_, unitMark_ and unitBehind_; taken before
  // the port's lock.
  std::mutex edgeLock_;
  std::atomic<uint8_t> hostEdge_{0};  // the host's last edge, kMidiStart or kMidiStop; 0 none yet
  UnitTransport unit_ = UnitTransport::kNothing;
  std::atomic<uint64_t> unitMark_{0};  // the link's OutputUnit that unit_ is about
  std::atomic<bool> unitBehind_{false};

  std::mutex runLock_;  // guards run_ and closed_; joins happen under it
  std::unique_ptr<Run> run_;
  bool closed_ = false;
};

#include "messaging/MIDIClockOutput.h"

#include <sys/prctl.h>
#include <future>
#include <optional>

#include "Kit_TimeSource.h"

namespace {

// The first whole microsecond at or after a time in nanoseconds.
uint64_t MicrosReaching(uint64_t nanos) { return (nanos + 999) / 1000; }

}  // namespace

ClockTransportJob FollowTransport(bool running, bool queueMidiOutput, ClockTransportState& state) {
  if (running == state.transportWasRunning) return ClockTransportJob::kNone;
  state.transportWasRunning = running;
  if (queueMidiOutput || state.clockStarted == running) return ClockTransportJob::kNone;
  state.clockStarted = running;
  return running ? ClockTransportJob::kStart : ClockTransportJob::kStop;
}

void MIDIClockOutput::FollowHost(uint8_t edge) {
  std::lock_guard<std::mutex> hold(edgeLock_);
  // The host's own Stop after its Start is owed even to a unit told nothing (the
  // pointer switch may have been off at the Start).
  const bool stopAfterStart = hostEdge_ == kMidiStart && edge == kMidiStop;
  hostEdge_ = edge;
  TellUnit(stopAfterStart);
}

bool MIDIClockOutput::UnitBehindHost() const {
  if (unitBehind_.load()) return true;
  return hostEdge_.load() != 0 && link_.clockPointerOn() && link_.OutputUnit() != unitMark_.load();
}

void MIDIClockOutput::TellUnit(bool stopOwed) {
  if (const uint64_t mark = link_.OutputUnit(); mark != unitMark_.load()) {
    // Perhaps another unit, perhaps the one before, back: one that may run is told
    // whatever the host's state is.
    unitMark_.store(mark);
    const bool mayRun = unit_ == UnitTransport::kStarted || unit_ == UnitTransport::kUnsure;
    unit_ = mayRun ? UnitTransport::kUnsure : UnitTransport::kNothing;
  }
  const UnitTransport wanted = hostEdge_ == kMidiStart ? UnitTransport::kStarted : UnitTransport::kStopped;
  const bool told = hostEdge_ == 0 || !link_.clockPointerOn() || unit_ == wanted ||
                    (unit_ == UnitTransport::kNothing && wanted == UnitTransport::kStopped && !stopOwed);
  if (!told) {
    uint64_t reached = unitMark_.load();
    if (link_.SendEdge(hostEdge_, reached)) {
      // Found back by this very edge, the unit now there has heard it.
      unitMark_.store(reached);
      unit_ = wanted;
    } else if (link_.outputSet()) {
      UnitAway();
    }
  }
  unitBehind_.store(!told && unit_ != wanted);
}

void MIDIClockOutput::LeaveUnit() {
  std::lock_guard<std::mutex> hold(edgeLock_);
  if (!link_.clockPointerOn() || (unit_ != UnitTransport::kStarted && unit_ != UnitTransport::kUnsure)) return;
  // Whichever unit the output reaches now, it is the one left.
  uint64_t reached = link_.OutputUnit();
  if (!link_.SendEdge(kMidiStop, reached)) return;
  unitMark_.store(reached);
  unit_ = UnitTransport::kStopped;
}

void MIDIClockOutput::UnitAway() {
  if (unit_ != UnitTransport::kStarted) return;
  unit_ = UnitTransport::kUnsure;
  unitBehind_.store(hostEdge_ != 0 && link_.clockPointerOn());
}

void MIDIClockOutput::StartContinuousClock() {
  std::lock_guard<std::mutex> hold(runLock_);
  if (closed_ || (run_ && loopRunning_.load() && !run_->stop.StopRequested())) return;
  EndRun();
  run_ = std::make_unique<Run>();
  loopRunning_.store(true);
  Run* run = run_.get();
  std::promise<void> registered;
  run->thread = std::thread([this, run, &registered] {
    // Wake-ups within microseconds of the deadline without real-time priority.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // On a virtual clock the loop holds time still between its waits, so no Clock
    // falls off its deadline because the thread was slow to get there.
    std::optional<Kit_VirtualClock::Participant> holdsTime;
    if (auto* virtualClock = dynamic_cast<Kit_VirtualClock*>(&Kit_Time())) holdsTime.emplace(*virtualClock);
    registered.set_value();
    sendContinuousMIDIClock(run->stop);
    loopRunning_.store(false);
  });
  registered.get_future().wait();
}

void MIDIClockOutput::StopContinuousClock() {
  std::lock_guard<std::mutex> hold(runLock_);
  if (run_) run_->stop.RequestStop();
}

void MIDIClockOutput::Close() {
  std::lock_guard<std::mutex> hold(runLock_);
  closed_ = true;
  EndRun();
}

void MIDIClockOutput::EndRun() {
  if (!run_) return;
  run_->stop.RequestStop();
  run_->thread.join();
  run_.reset();
}

int MIDIClockOutput::AwaitTempo(Kit_StopSignal& stop) {
  int tempo = link_.getTempoValue();
  for (int poll = 0; tempo <= 0 && poll < kTempoPolls; ++poll) {
    if (!Kit_Time().WaitMicros(kTempoPollMicros, stop)) return 0;
    tempo = link_.getTempoValue();
  }
  return tempo > 0 ? tempo : 0;
}

bool MIDIClockOutput::SendClock() {
  // A unit reached again hears the host's state before its first Clock: while the
  // port refuses the edge (the connection is being made again) the Clock waits too.
  if (UnitBehindHost()) {
    std::lock_guard<std::mutex> hold(edgeLock_);
    TellUnit();
    if (unitBehind_.load()) return link_.outputSet();
  }
  if (link_.SendRealTime(kMidiClock)) return true;
  // A Clock the port refuses (disconnected for now, by a patchbay or a unit that
  // left) is skipped: the next one may find the port connected again.
  if (!link_.outputSet()) return false;
  std::lock_guard<std::mutex> hold(edgeLock_);
  UnitAway();
  return true;
}

void MIDIClockOutput::sendContinuousMIDIClock(Kit_StopSignal& stop) {
  if (!link_.clockInfoOn()) return;
  const int tempo = AwaitTempo(stop);
  if (stop.StopRequested() || !link_.clockInfoOn()) return;
  if (tempo == 0) {
    link_.ClockTempoMissing(kNoTempoText);
    return;
  }
  // 64 bits: at 1 beat per minute the interval passes 2^31 ns.
  uint64_t interval = uint64_t(ClockInterval(tempo));
  int pacedBy = tempo;
  Kit_TimeSource& time = Kit_Time();
  if (!SendClock()) return;
  uint64_t gridStart = time.NowMicros() * 1000;
  for (uint64_t n = 1;; ++n) {
    const uint64_t due = gridStart + n * interval;
    if (!time.WaitUntilMicros(MicrosReaching(due), stop) || !link_.clockInfoOn()) return;
    if (!SendClock()) return;
    // A new host tempo paces the Clocks from this one on: the grid starts again at
    // this Clock's deadline with the new interval, so nothing drifts. A tempo of 0
    // (none reported for a moment) keeps the pace.
    if (const int hostTempo = link_.getTempoValue(); hostTempo > 0 && hostTempo != pacedBy) {
      pacedBy = hostTempo;
      interval = uint64_t(ClockInterval(hostTempo));
      gridStart = due;
      n = 0;
    }
    // After a stall past later deadlines (a starved thread) the Clocks missed go out
    // at once: the unit counts Clocks, so a lost one would leave its sequencer behind
    // the host's beat for the rest of the song. After a stall of more than a beat (a
    // suspended machine) this one Clock stands for the missed ones and the grid
    // starts again from it, rather than a burst that would race the unit's tempo.
    const uint64_t now = time.NowMicros() * 1000;
    if (now >= due + (kClocksCaughtUp + 1) * interval) {
      gridStart = now;
      n = 0;
    }
  }
}

#include "HostClock.h"

#include <cmath>

HostClock::HostClock(double sampleRate, double tempo, bool playing, int numerator, int denominator)
    : sampleRate_(sampleRate), tempo_(tempo), playing_(playing), numerator_(numerator), denominator_(denominator) {}

HostCallbackInfo HostClock::Callbacks() {
  return HostCallbackInfo{this, &HostClock::BeatAndTempo, &HostClock::MusicalTimeLocation, &HostClock::TransportState};
}

double HostClock::Beat() const { return SampleTime() / sampleRate_ * tempo_.load() / 60.0; }

OSStatus HostClock::BeatAndTempo(void* self, Float64* beat, Float64* tempo) {
  auto* clock = static_cast<HostClock*>(self);
  if (beat) *beat = clock->Beat();
  if (tempo) *tempo = clock->tempo_.load();
  return noErr;
}

OSStatus HostClock::MusicalTimeLocation(void* self, UInt32* offsetToNextBeat, Float32* numerator, UInt32* denominator,
                                        Float64* downBeat) {
  auto* clock = static_cast<HostClock*>(self);
  const double beat = clock->Beat();
  const double beatsPerBar = clock->numerator_ * 4.0 / clock->denominator_;
  const double tempo = clock->tempo_.load();
  if (offsetToNextBeat)
    *offsetToNextBeat = tempo > 0 ? UInt32((std::ceil(beat) - beat) * clock->sampleRate_ * 60.0 / tempo) : 0;
  if (numerator) *numerator = Float32(clock->numerator_);
  if (denominator) *denominator = UInt32(clock->denominator_);
  if (downBeat) *downBeat = std::floor(beat / beatsPerBar) * beatsPerBar;
  return noErr;
}

OSStatus HostClock::TransportState(void* self, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                                   Float64* cycleStart, Float64* cycleEnd) {
  auto* clock = static_cast<HostClock*>(self);
  const bool now = clock->playing_.load();
  const bool was = clock->reportedPlaying_.exchange(now);
  if (playing) *playing = now;
  if (changed) *changed = was != now;
  if (sample) *sample = clock->SampleTime();
  if (cycling) *cycling = false;
  if (cycleStart) *cycleStart = 0;
  if (cycleEnd) *cycleEnd = 0;
  return noErr;
}

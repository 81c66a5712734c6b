#pragma once
// The host's musical clock, handed to the plug-in as host callbacks (tempo,
// time signature, transport). The render thread advances the sample time.
// threads: main (settings; the callbacks too, when the plug-in asks for the tempo
// there), render (advance and the callbacks)

#include <atomic>

#include "AudioUnitAPI.h"

class HostClock {
public:
  HostClock(double sampleRate, double tempo, bool playing, int numerator, int denominator);

  HostCallbackInfo Callbacks();
  // The transport moves only while playing.
  void Advance(UInt32 frames) { sampleTime_.fetch_add(playing_.load() ? frames : 0); }
  // A script's transport and tempo changes (0: no tempo reported), seen from the next block.
  void SetPlaying(bool playing) { playing_ = playing; }
  bool Playing() const { return playing_.load(); }
  void SetTempo(double tempo) { tempo_ = tempo; }
  // The transport's position in samples.
  double SampleTime() const { return double(sampleTime_.load()); }
  double Beat() const;

private:
  static OSStatus BeatAndTempo(void* self, Float64* beat, Float64* tempo);
  static OSStatus MusicalTimeLocation(void* self, UInt32* offsetToNextBeat, Float32* numerator, UInt32* denominator,
                                      Float64* downBeat);
  static OSStatus TransportState(void* self, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                                 Float64* cycleStart, Float64* cycleEnd);

  const double sampleRate_;
  std::atomic<double> tempo_;
  std::atomic<bool> playing_;
  const int numerator_;
  const int denominator_;
  std::atomic<UInt64> sampleTime_{0};
  std::atomic<bool> reportedPlaying_{false};
};

#pragma once
// Renders a unit on its own thread, block by block with advancing sample time,
// through the unit's fast-dispatch render procedure (or the render selector when
// the unit offers none), optionally paced to real time.

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "AudioUnitAPI.h"
#include "HostClock.h"

struct RenderResult {
  long blocks = 0;
  OSStatus error = noErr;  // the first failed render, which also stops the thread
};

class RenderThread {
public:
  // threads: main
  RenderThread(AudioUnit unit, HostClock& clock, int blockSize, double sampleRate);
  ~RenderThread();
  // Called on the render thread before each block (the host's MIDI for it).
  // threads: main (before Start)
  void SetBeforeBlock(std::function<void()> beforeBlock) { beforeBlock_ = std::move(beforeBlock); }
  // Renders `frames` frames in blocks (kUntilStopped: until Stop); returns at once.
  // threads: main
  void Start(long frames, bool paced);
  static constexpr long kUntilStopped = -1;
  // Ends rendering after the block under way.
  // threads: main
  void Stop() { stop_ = true; }
  // True once rendering has ended (the frames rendered, stopped or failed).
  // threads: main
  bool Finished() const { return finished_.load(); }
  // Waits for the end of rendering.
  // threads: main
  RenderResult Join();

private:
  void Run(long frames, bool paced);

  AudioUnit unit_;
  HostClock& clock_;
  const int blockSize_;
  const double sampleRate_;
  AudioUnitRenderProc fastRender_ = nullptr;
  void* storage_ = nullptr;
  std::vector<float> buffers_;
  std::function<void()> beforeBlock_;
  RenderResult result_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

#include "RenderThread.h"

#include <chrono>

RenderThread::RenderThread(AudioUnit unit, HostClock& clock, int blockSize, double sampleRate)
    : unit_(unit),
      clock_(clock),
      blockSize_(blockSize),
      sampleRate_(sampleRate),
      buffers_(size_t(2) * size_t(blockSize), 0.0f) {
  UInt32 size = sizeof fastRender_;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                           &fastRender_, &size) != noErr)
    fastRender_ = nullptr;
  storage_ = GetComponentInstanceStorage(unit);
}

RenderThread::~RenderThread() {
  if (thread_.joinable()) thread_.join();
}

void RenderThread::Start(long frames, bool paced) {
  result_ = RenderResult();
  stop_ = false;
  finished_ = false;
  thread_ = std::thread([this, frames, paced] {
    Run(frames, paced);
    finished_ = true;
  });
}

RenderResult RenderThread::Join() {
  if (thread_.joinable()) thread_.join();
  return result_;
}

void RenderThread::Run(long frames, bool paced) {
  const auto start = std::chrono::steady_clock::now();
  AudioBufferListStorage<2> list;
  double renderedFrames = 0;
  const bool endless = frames == kUntilStopped;
  for (long done = 0; (endless || done < frames) && !stop_.load(); done += blockSize_) {
    const UInt32 n = UInt32(endless ? blockSize_ : std::min<long>(blockSize_, frames - done));
    list.mNumberBuffers = 2;
    for (UInt32 c = 0; c < 2; ++c) list.mBuffers[c] = {1, UInt32(n * sizeof(float)), &buffers_[c * size_t(blockSize_)]};
    AudioTimeStamp stamp = {};
    stamp.mSampleTime = renderedFrames;
    stamp.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    if (beforeBlock_) beforeBlock_();
    const OSStatus status = fastRender_ ? fastRender_(storage_, &flags, &stamp, 0, n, list.List())
                                        : AudioUnitRender(unit_, &flags, &stamp, 0, n, list.List());
    if (status != noErr) {
      result_.error = status;
      return;
    }
    ++result_.blocks;
    clock_.Advance(n);
    renderedFrames += n;
    if (paced) std::this_thread::sleep_until(start + std::chrono::duration<double>(renderedFrames / sampleRate_));
  }
}

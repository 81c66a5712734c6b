// The render procedure and the host's clock.

#include <algorithm>
#include <cmath>

#include "Framework/IModuleAU.h"

void IModuleAU::SetBlockSize(int blockSize) {
  if (blockSize <= 0 || blockSize > kMaxBlockSize) return;
  mInScratchBuf.assign(size_t(NInChannels()) * size_t(blockSize), 0.0f);
  mOutScratchBuf.assign(size_t(NOutChannels()) * size_t(blockSize), 0.0f);
  IModuleBase::SetBlockSize(blockSize);
}

void IModuleAU::NotifyRender(AudioUnitRenderActionFlags action, const AudioTimeStamp* timeStamp, UInt32 busIdx,
                             UInt32 frames, AudioBufferList* buffers) {
  for (const RenderNotifyEntry& entry : mRenderNotify) {
    AudioUnitRenderActionFlags flags = action;
    entry.mFunc(entry.mFuncArgs, &flags, timeStamp, busIdx, frames, buffers);
  }
}

OSStatus IModuleAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 frames) {
  for (size_t i = 0; i < mInBuses.size() && i < mInputs.size(); ++i) {
    const BusChannels& bus = mInBuses[i];
    const InputConnection& input = mInputs[i];
    if (!bus.mConnected) continue;
    const int nChannels = std::max(bus.mNHostChannels, 0);
    if (nChannels > kMaxBusChannels || bus.mPlugChannelStartIdx + nChannels > NInChannels())
      return kAudioUnitErr_InvalidPropertyValue;

    AudioBufferListStorage<kMaxBusChannels> storage;
    storage.mNumberBuffers = UInt32(nChannels);
    for (int c = 0; c < nChannels; ++c) storage.mBuffers[c] = {1, UInt32(frames * sizeof(float)), nullptr};
    AudioBufferList* list = storage.List();

    AudioUnitRenderActionFlags flags = 0;
    OSStatus result = noErr;
    switch (input.mInputType) {
      case eDirectFastProc:
        result = input.mUpstreamRenderProc(input.mUpstreamObj, &flags, timeStamp, UInt32(input.mUpstreamBusIdx), frames,
                                           list);
        break;
      case eDirectNoFastProc:
        result = AudioUnitRender(input.mUpstreamUnit, &flags, timeStamp, UInt32(input.mUpstreamBusIdx), frames, list);
        break;
      case eRenderCallback:
        for (int c = 0; c < nChannels; ++c)
          storage.mBuffers[c].mData = &mInScratchBuf[size_t(bus.mPlugChannelStartIdx + c) * frames];
        result = input.mCallbackInfo.inputProc(input.mCallbackInfo.inputProcRefCon, &flags, timeStamp, UInt32(i),
                                               frames, list);
        break;
      case eNotConnected: break;
    }
    if (result != noErr) return result;

    // What came back must be as many whole buffers as were asked for.
    if (list->mNumberBuffers > UInt32(nChannels)) return kAudioUnitErr_InvalidPropertyValue;
    for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
      AudioBuffer& buffer = AudioBufferAt(list, c);
      if (!buffer.mData || buffer.mDataByteSize < frames * sizeof(float)) return kAudioUnitErr_InvalidPropertyValue;
      float* channel = static_cast<float*>(buffer.mData);
      AttachInputBuffers(bus.mPlugChannelStartIdx + int(c), 1, &channel, int(frames));
    }
  }
  mRenderTimestamp = timeStamp->mSampleTime;
  return noErr;
}

OSStatus IModuleAU::PrepareOutputBus(UInt32 busIdx, UInt32 frames, AudioBufferList* buffers) {
  BusChannels& bus = mOutBuses[busIdx];
  const int nBuffers = int(buffers->mNumberBuffers);
  if (!bus.mConnected || bus.mNHostChannels != nBuffers) {
    // A host that never set the bus format gets the bus's own channel count.
    const int nHost = bus.mNHostChannels < 0 ? bus.mNPlugChannels : bus.mNHostChannels;
    const int nConnected = std::min(nHost, nBuffers);
    SetOutputChannelConnections(bus.mPlugChannelStartIdx, nConnected, true);
    SetOutputChannelConnections(bus.mPlugChannelStartIdx + nConnected, bus.mNPlugChannels - nConnected, false);
    bus.mConnected = true;
  }
  for (int i = 0; i < nBuffers; ++i) {
    AudioBuffer& buffer = AudioBufferAt(buffers, UInt32(i));
    if (!buffer.mData) buffer.mData = &mOutScratchBuf[size_t(bus.mPlugChannelStartIdx + i) * frames];
    float* channel = static_cast<float*>(buffer.mData);
    AttachOutputBuffers(bus.mPlugChannelStartIdx + i, 1, &channel);
  }
  return noErr;
}

OSStatus IModuleAU::RenderProc(void* plugObject, AudioUnitRenderActionFlags* actionFlags,
                               const AudioTimeStamp* timeStamp, UInt32 outputBusNumber, UInt32 frames,
                               AudioBufferList* buffers) {
  auto* plug = static_cast<IModuleAU*>(plugObject);
  if (!plug) return badComponentInstance;
  // A render the close finds in flight runs to its end; one after that does nothing.
  RenderGate::Pass pass(plug->mRenderGate);
  if (!pass.Open()) return kAudioUnitErr_Uninitialized;
  if (plug->mPullingInputs) return kAudioUnitErr_NoConnection;
  const OSStatus refused = kAudioUnitErr_InvalidPropertyValue;
  if (!timeStamp || !(timeStamp->mFlags & kAudioTimeStampSampleTimeValid)) return refused;
  if (outputBusNumber >= UInt32(plug->NOutputBuses())) return refused;
  if (frames > UInt32(plug->GetBlockSize())) return refused;
  if (!buffers) return refused;
  const BusChannels& bus = plug->mOutBuses[outputBusNumber];
  if (buffers->mNumberBuffers > UInt32(bus.mNPlugChannels)) return refused;
  for (UInt32 i = 0; i < buffers->mNumberBuffers; ++i) {
    const AudioBuffer& buffer = AudioBufferAt(buffers, i);
    if (buffer.mData && buffer.mDataByteSize < frames * sizeof(float)) return refused;
  }

  plug->NotifyRender(kAudioUnitRenderAction_PreRender, timeStamp, outputBusNumber, frames, buffers);

  if (timeStamp->mSampleTime != plug->mRenderTimestamp) {
    plug->mPullingInputs = true;
    const OSStatus result = plug->PullInputs(timeStamp, frames);
    plug->mPullingInputs = false;
    if (result != noErr) return result;
  }

  plug->PrepareOutputBus(outputBusNumber, frames, buffers);

  int lastConnected = -1;
  while (lastConnected + 1 < plug->NOutputBuses() && plug->mOutBuses[size_t(lastConnected + 1)].mConnected)
    ++lastConnected;
  if (int(outputBusNumber) == lastConnected) {
    const int nBuses = plug->NOutputBuses();
    plug->SetOutputChannelConnections(2 * (lastConnected + 1), 2 * (nBuses - lastConnected - 1), false);
    if (plug->IsBypassed()) {
      plug->PassThroughBuffers(0.0f, int(frames));
    } else {
      plug->ProcessBuffers(0.0f, int(frames));
    }
  }

  plug->NotifyRender(kAudioUnitRenderAction_PostRender, timeStamp, outputBusNumber, frames, buffers);
  return noErr;
}

// ---- the host's clock ----------------------------------------------------------

double IModuleAU::GetTempo() {
  if (const double tempo = HostTempoNow(); tempo > 0) mTempo = tempo;
  return mTempo;
}

double IModuleAU::HostTempoNow() const {
  if (!mHostCallbacks.beatAndTempoProc) return 0;
  Float64 beat = 0, tempo = 0;
  mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
  return tempo > 0 ? tempo : 0;
}

void IModuleAU::GetTimeSig(int* numerator, int* denominator) {
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  UInt32 offsetToBeat = 0, denom = 0;
  Float32 numer = 0;
  Float64 downBeat = 0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &offsetToBeat, &numer, &denom, &downBeat);
  if (numerator) *numerator = std::isfinite(numer) && std::fabs(numer) < 2.1e9f ? int(numer) : 0;
  if (denominator) *denominator = int(denom);
}

int IModuleAU::GetSamplePos() {
  if (!mHostCallbacks.transportStateProc) return 0;
  Boolean playing = false, changed = false, cycling = false;
  Float64 sample = 0, cycleStart = 0, cycleEnd = 0;
  mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling, &cycleStart,
                                    &cycleEnd);
  const double rounded = sample + 0.5;
  return (std::isfinite(rounded) && std::fabs(rounded) < 2.1e9) ? int(rounded) : 0;
}

void IModuleAU::GetTime(ITimeInfo* info) {
  if (!info) return;
  if (mHostCallbacks.beatAndTempoProc) {
    Float64 beat = 0, tempo = 0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0) info->mTempo = tempo;
    if (beat > 0) info->mPPQPos = beat;
  }
  if (mHostCallbacks.transportStateProc) {
    Boolean playing = false, changed = false, cycling = false;
    Float64 sample = 0, cycleStart = 0, cycleEnd = 0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &sample, &cycling, &cycleStart,
                                      &cycleEnd);
    if (sample > 0) info->mSamplePos = sample;
    if (cycleStart > 0 && cycleEnd > 0) {
      info->mCycleStart = cycleStart;
      info->mCycleEnd = cycleEnd;
    }
    info->mTransportIsRunning = playing;
    info->mTransportLoopEnabled = cycling;
  }
  if (mHostCallbacks.musicalTimeLocationProc) {
    UInt32 offsetToBeat = 0, denom = 0;
    Float32 numer = 0;
    Float64 downBeat = 0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &offsetToBeat, &numer, &denom, &downBeat);
    info->mNumerator = std::isfinite(numer) && std::fabs(numer) < 2.1e9f ? int(numer) : 0;
    info->mDenominator = int(denom);
    if (downBeat > 0) info->mLastBar = downBeat;
  }
}

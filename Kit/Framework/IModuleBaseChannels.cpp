// The plug-in base's channel configuration, channel buffers and pass-through.

#include <algorithm>
#include <cstring>

#include "Framework/IModuleBase.h"

namespace {

// Makes a channel's scratch hold at least nFrames doubles; false when it cannot.
bool EnsureScratch(Kit_TypedBuf<double>& scratch, int nFrames) {
  if (nFrames <= scratch.GetSize()) return true;
  const int oldSize = scratch.GetSize();
  if (!scratch.Resize(nFrames)) return false;
  std::memset(scratch.Get() + oldSize, 0, sizeof(double) * size_t(nFrames - oldSize));
  return true;
}

// Copies input i to output i; outputs without an input are silent.
template <typename Sample>
void PassInputsThrough(Sample** inputs, int nIn, Sample** outputs, int nOut, int nFrames) {
  for (int i = 0; i < nOut; ++i) {
    Sample* out = outputs[i];
    if (!out) continue;
    const Sample* in = i < nIn ? inputs[i] : nullptr;
    if (in == out) continue;
    if (in) {
      std::memmove(out, in, sizeof(Sample) * size_t(nFrames));
    } else {
      std::memset(out, 0, sizeof(Sample) * size_t(nFrames));
    }
  }
}

}  // namespace

bool IModuleBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0, n = NChannelIO(); i < n; ++i) {
    const ChannelIO* io = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut)) return true;
  }
  return false;
}

bool IModuleBase::GetChannelIO(int idx, int* nIn, int* nOut) const {
  const ChannelIO* io = mChannelIO.Get(idx);
  if (!io) return false;
  *nIn = io->mIn;
  *nOut = io->mOut;
  return true;
}

bool IModuleBase::IsInChannelConnected(int chIdx) const {
  const InChannel* channel = mInChannels.Get(chIdx);
  return channel && channel->mConnected;
}

bool IModuleBase::IsOutChannelConnected(int chIdx) const {
  const OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

void IModuleBase::SetInputChannelConnections(int idx, int n, bool connected) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    // A channel without input reads its own (zeroed) scratch.
    if (!connected) *channel->mSrc = channel->mScratchBuf.Get();
  }
}

void IModuleBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDest = channel->mScratchBuf.Get();
  }
}

void IModuleBase::AttachInputBuffers(int idx, int n, double** buffers, int nFrames) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) *channel->mSrc = *buffers++;
  }
}

void IModuleBase::AttachInputBuffers(int idx, int n, float** buffers, int nFrames) {
  const int end = std::min(idx + n, NInChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    const float* source = *buffers++;
    if (!EnsureScratch(channel->mScratchBuf, nFrames)) continue;
    double* scratch = channel->mScratchBuf.Get();
    for (int s = 0; s < nFrames; ++s) scratch[s] = source ? source[s] : 0.0;
    *channel->mSrc = scratch;
  }
}

void IModuleBase::AttachOutputBuffers(int idx, int n, double** buffers) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    channel->mFDest = nullptr;
    *channel->mDest = *buffers++;
  }
}

void IModuleBase::AttachOutputBuffers(int idx, int n, float** buffers) {
  const int end = std::min(idx + n, NOutChannels());
  for (int i = std::max(idx, 0); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    channel->mFDest = *buffers++;
    *channel->mDest = channel->mScratchBuf.Get();
  }
}

void IModuleBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  PassInputsThrough(inputs, NInChannels(), outputs, NOutChannels(), nFrames);
}

void IModuleBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) {
  PassInputsThrough(inputs, NInChannels(), outputs, NOutChannels(), nFrames);
}

// Copies (or adds) every connected output's scratch into its float destination.
static void CopyScratchToFloat(Kit_PtrList<IModuleBase::OutChannel>& channels, int nFrames, bool accumulate) {
  for (int i = 0, n = channels.GetSize(); i < n; ++i) {
    IModuleBase::OutChannel* channel = channels.Get(i);
    if (!channel->mConnected || !channel->mFDest) continue;
    const double* scratch = channel->mScratchBuf.Get();
    const int frames = std::min(nFrames, channel->mScratchBuf.GetSize());
    for (int s = 0; s < frames; ++s) {
      const float v = float(scratch[s]);
      channel->mFDest[s] = accumulate ? channel->mFDest[s] + v : v;
    }
  }
}

void IModuleBase::FitScratchBuffers(int nFrames) {
  // Normally a no-op: SetBlockSize made every scratch a block long.
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    InChannel* channel = mInChannels.Get(i);
    const bool readsScratch = !channel->mConnected || *channel->mSrc == channel->mScratchBuf.Get();
    if (readsScratch && EnsureScratch(channel->mScratchBuf, nFrames)) {
      *channel->mSrc = channel->mScratchBuf.Get();
    }
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    const bool writesScratch = !channel->mConnected || channel->mFDest;
    if (writesScratch && EnsureScratch(channel->mScratchBuf, nFrames)) {
      *channel->mDest = channel->mScratchBuf.Get();
    }
  }
}

void IModuleBase::ProcessBuffers(double, int nFrames) {
  FitScratchBuffers(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IModuleBase::ProcessBuffers(float, int nFrames) {
  FitScratchBuffers(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  CopyScratchToFloat(mOutChannels, nFrames, false);
}

void IModuleBase::ProcessBuffersAccumulating(float, int nFrames) {
  FitScratchBuffers(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  CopyScratchToFloat(mOutChannels, nFrames, true);
}

void IModuleBase::PassThroughBuffers(double, int nFrames) {
  FitScratchBuffers(nFrames);
  IModuleBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IModuleBase::PassThroughBuffers(float, int nFrames) {
  FitScratchBuffers(nFrames);
  IModuleBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  CopyScratchToFloat(mOutChannels, nFrames, false);
}

void IModuleBase::ZeroScratchBuffers() {
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    Kit_TypedBuf<double>& scratch = mInChannels.Get(i)->mScratchBuf;
    if (scratch.GetSize()) std::memset(scratch.Get(), 0, sizeof(double) * size_t(scratch.GetSize()));
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    Kit_TypedBuf<double>& scratch = mOutChannels.Get(i)->mScratchBuf;
    if (scratch.GetSize()) std::memset(scratch.Get(), 0, sizeof(double) * size_t(scratch.GetSize()));
  }
}

void IModuleBase::SetBlockSize(int blockSize) {
  if (blockSize == mBlockSize || blockSize < 0) return;
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mScratchBuf.Resize(blockSize);
    // A channel reading its scratch must follow it when it moves.
    if (!channel->mConnected) *channel->mSrc = channel->mScratchBuf.Get();
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mScratchBuf.Resize(blockSize);
    if (!channel->mConnected || channel->mFDest) *channel->mDest = channel->mScratchBuf.Get();
  }
  ZeroScratchBuffers();
  mBlockSize = blockSize;
}

double IModuleBase::GetSamplesPerBeat() {
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

void IModuleBase::SetInputLabel(int idx, const char* label) {
  if (InChannel* channel = mInChannels.Get(idx)) channel->mLabel.Set(label ? label : "");
}

void IModuleBase::SetOutputLabel(int idx, const char* label) {
  if (OutChannel* channel = mOutChannels.Get(idx)) channel->mLabel.Set(label ? label : "");
}

const char* IModuleBase::GetInputLabel(int idx) const {
  const InChannel* channel = mInChannels.Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

const char* IModuleBase::GetOutputLabel(int idx) const {
  const OutChannel* channel = mOutChannels.Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

// Replaces the label at idx, or appends it when idx is past the end.
static void ReplaceBusLabel(Kit_PtrList<Kit_String>& labels, int idx, const char* label) {
  labels.Delete(idx, true);
  Kit_String* text = new Kit_String(label);
  if (!labels.Insert(idx, text)) delete text;
}

void IModuleBase::SetInputBusLabel(int idx, const char* label) {
  if (idx == 0 || idx == 1) ReplaceBusLabel(mInputBusLabels, idx, label);
}

void IModuleBase::SetOutputBusLabel(int idx, const char* label) {
  if (idx >= 0) ReplaceBusLabel(mOutputBusLabels, idx, label);
}

const char* IModuleBase::GetInputBusLabel(int idx) const {
  const Kit_String* label = mInputBusLabels.Get(idx);
  return label ? label->Get() : nullptr;
}

const char* IModuleBase::GetOutputBusLabel(int idx) const {
  const Kit_String* label = mOutputBusLabels.Get(idx);
  return label ? label->Get() : nullptr;
}

void IModuleBase::LimitToStereoIO() {
  SetInputChannelConnections(2, NInChannels() - 2, false);
  SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

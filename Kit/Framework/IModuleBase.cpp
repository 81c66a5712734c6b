#include "Framework/IModuleBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

IModuleBase::IModuleBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                         int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mLatency(latency),
      mMidiPorts(std::make_unique<IMidiPorts>(this)),
      mRandom(std::make_unique<Kit_SeededRandom>(Kit_FreshSeed())) {}

IModuleBase::~IModuleBase() {
  // First: a hardware message in flight may still use the panel and parameters.
  ShutDownMidiInput();
  delete mGraphics.exchange(nullptr);
  mParams.Empty(true);
  mPresets.Empty(true);
  mChannelIO.Empty(true);
  DeleteChannels();
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  mParamGroups.Empty(true);
  mMidiPorts.reset();
}

void IModuleBase::DeleteChannels() {
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
}

void IModuleBase::UseMidiTransports(std::shared_ptr<MidiTransportFactory> transports) {
  mMidiPorts.reset();
  mMidiPorts = std::make_unique<IMidiPorts>(this, std::move(transports));
}

void IModuleBase::UseRandomSource(std::unique_ptr<Kit_RandomSource> source) {
  if (source) mRandom = std::move(source);
}

void IModuleBase::initialize(int nAutomated, int nParams, const char* channelIOStr, int nPresets,
                             const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                             int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                             bool plugIsInst) {
  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  addNonAutomateParamCount(nParams - nAutomated);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);
  std::snprintf(mEffectName, sizeof mEffectName, "%s", effectName ? effectName : "");
  std::snprintf(mProductName, sizeof mProductName, "%s", productName ? productName : "");
  std::snprintf(mMfrName, sizeof mMfrName, "%s", mfrName ? mfrName : "");
  ParseChannelIO(channelIOStr);
}

void IModuleBase::addNonAutomateParamCount(int n) {
  // A tail longer than the list would put the automated range below index 0.
  mNonAutomatedCount = std::clamp(n, 0, NParams());
}

void IModuleBase::ParseChannelIO(const char* channelIOStr) {
  int maxIn = 0;
  int maxOut = 0;
  // Tokens are separated by single blanks; each reads as "<inputs>-<outputs>".
  for (const char* token = channelIOStr; token && *token;) {
    const char* blank = std::strchr(token, ' ');
    const std::string text(token, blank ? size_t(blank - token) : std::strlen(token));
    ChannelIO* io = new ChannelIO{0, 0};
    // A part that does not parse stays 0.
    std::sscanf(text.c_str(), "%d-%d", &io->mIn, &io->mOut);
    mChannelIO.Add(io);
    if (io->mIn > maxIn) maxIn = io->mIn;
    if (io->mOut > maxOut) maxOut = io->mOut;
    token = blank ? blank + 1 : nullptr;
  }
  mInData.Resize(maxIn);
  mOutData.Resize(maxOut);
  for (int i = 0; i < maxIn; ++i) {
    mInData.Get()[i] = nullptr;
    InChannel* channel = new InChannel;
    channel->mSrc = mInData.Get() + i;
    mInChannels.Add(channel);
  }
  for (int i = 0; i < maxOut; ++i) {
    mOutData.Get()[i] = nullptr;
    OutChannel* channel = new OutChannel;
    channel->mDest = mOutData.Get() + i;
    mOutChannels.Add(channel);
  }
}

// ---- default virtual operations ----

void IModuleBase::Reset() { Kit_MutexLock lock(mMutex); }

void IModuleBase::OnParamChange(int paramIdx) { Kit_MutexLock lock(mMutex); }

void IModuleBase::OnParamChange2(int paramIdx) { Kit_MutexLock lock(mMutex); }

void IModuleBase::OnActivate(bool active) { Kit_MutexLock lock(mMutex); }

bool IModuleBase::MidiNoteName(int noteNumber, char* name) {
  if (name) name[0] = '\0';
  return false;
}

bool IModuleBase::SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }

int IModuleBase::UnserializeState(ByteChunk* chunk, int startPos) {
  if (!chunk->Holds(startPos, 8 * int64_t(NAutomatedParams()))) return -1;
  return UnserializeParams(chunk, startPos);
}

// ---- parameters ----

void IModuleBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  SetParameterFromPanel(paramIdx, normalizedValue, false);
}

void IModuleBase::SetParameterFromGUI2(int paramIdx, double normalizedValue) {
  SetParameterFromPanel(paramIdx, normalizedValue, true);
}

void IModuleBase::SetParameterFromPanel(int paramIdx, double normalizedValue, bool fromHardware) {
  Kit_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double before = param->Value();
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  // Text parameters carry their news in the display text, so they always pass, as
  // does a choice that counts when repeated.
  if (param->Value() == before && param->Type() != IParam::kTypeText && !param->GetRepeatedChoiceCounts()) return;
  if (fromHardware) {
    OnParamChange2(paramIdx);
  } else {
    OnParamChange(paramIdx);
  }
}

void IModuleBase::OnParamReset() {
  for (int i = 0, n = NAutomatedParams(); i < n; ++i) OnParamChange(i);
  Reset();
}

void IModuleBase::DirtyParameters() {
  Kit_MutexLock lock(mMutex);
  for (int i = 0, n = NAutomatedParams(); i < n; ++i) {
    InformHostOfParamChange(i, GetParam(i)->GetNormalized());
  }
}

void IModuleBase::RedrawParamControls() {
  IModulePanel* graphics = mGraphics;
  if (!graphics) return;
  for (int i = 0, n = NParams(); i < n; ++i) {
    graphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
  }
}

void IModuleBase::DropGraphics() { delete mGraphics.exchange(nullptr); }

void IModuleBase::AttachGraphics(IModulePanel* graphics) {
  if (!graphics) return;
  Kit_MutexLock lock(mMutex);
  std::vector<double> normalized(static_cast<size_t>(NParams()));
  for (size_t i = 0; i < normalized.size(); ++i) normalized[i] = GetParam(int(i))->GetNormalized();
  graphics->SetParametersFromPlug(normalized);
  graphics->PrepDraw();
  // A second attach replaces the first panel, which nobody else owns.
  IModulePanel* previous = mGraphics.exchange(graphics);
  if (previous != graphics) delete previous;
}

// ---- identity, host and version ----

void IModuleBase::GetVersionParts(int version, int* major, int* minor, int* bugfix) {
  *major = int((unsigned(version) & 0xFFFF0000u) >> 16);
  *minor = (version & 0x0000FF00) >> 8;
  *bugfix = version & 0x000000FF;
}

int IModuleBase::GetDecimalVersion(int version) {
  int major, minor, bugfix;
  GetVersionParts(version, &major, &minor, &bugfix);
  return major * 10000 + minor * 100 + bugfix;
}

void IModuleBase::GetVersionStr(int version, char* buf) {
  int major, minor, bugfix;
  GetVersionParts(version, &major, &minor, &bugfix);
  if (bugfix) {
    std::snprintf(buf, kVersionStrSize, "v%d.%d.%d", major, minor, bugfix);
  } else if (minor) {
    std::snprintf(buf, kVersionStrSize, "v%d.%d", major, minor);
  } else {
    std::snprintf(buf, kVersionStrSize, "v%d", major);
  }
}

int IModuleBase::GetEffectVersion(bool decimal) const { return decimal ? GetDecimalVersion(mVersion) : mVersion; }

void IModuleBase::GetEffectVersionStr(char* buf) const { GetVersionStr(mVersion, buf); }

int IModuleBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IModuleBase::GetHostVersionStr(char* buf) {
  GetHost();
  GetVersionStr(mHostVersion, buf);
}

void IModuleBase::SetHost(const char* name, int version) {
  mHost = LookUpHost(name);
  mHostVersion = version;
}

const char* IModuleBase::GetAPIString() {
  switch (GetAPI()) {
    case kAPIVST2: return "VST2";
    case kAPIVST3: return "VST3";
    case kAPIAU: return "AU";
    case kAPIRTAS: return "RTAS";
    case kAPIAAX: return "AAX";
    case kAPISA: return "Standalone";
  }
  return "";
}

bool IModuleBase::SendMidiMsgs(Kit_TypedBuf<IMidiMsg>* msgs) {
  bool allSent = true;
  for (int i = 0, n = msgs->GetSize(); i < n; ++i) {
    allSent &= SendMidiMsg(msgs->Get() + i);
  }
  return allSent;
}

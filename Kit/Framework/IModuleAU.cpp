#include "Framework/IModuleAU.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>

#include "Framework/IGraphics.h"
#include "Framework/IModuleAUView.h"

IModuleAU::IModuleAU(const IModuleInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                     const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                     int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst)
    : IModuleBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU) {}

// ---- Carbon view records ------------------------------------------------------

struct IModuleAU::CarbonViewRecord {
  ComponentInstance mView;
  IModuleAU* mPlug;
};

IModuleAU::~IModuleAU() {
  for (CarbonViewRecord* record : mCarbonViews) record->mPlug = nullptr;
}

void IModuleAU::ForgetCarbonView(CarbonViewRecord* record) {
  mCarbonViews.erase(std::remove(mCarbonViews.begin(), mCarbonViews.end(), record), mCarbonViews.end());
}

void IModuleAU::initialize(const IModuleInstanceInfo& instanceInfo, int nAutomated, int nParams,
                           const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
                           const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels) {
  IModuleBase::initialize(nAutomated, nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                          uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst);
  ClearHostRenderState();
  mBundleID.Set(instanceInfo.mBundleID.Get());
  mCocoaViewFactoryClassName.Set(instanceInfo.mCocoaViewFactoryClassName.Get());
  Tavro_View::RegisterClass();

  mInBuses.clear();
  mOutBuses.clear();
  mInputs.clear();
  const int nIn = NInChannels();
  const int nSide = std::max(0, std::min(nSideChainChannels, nIn));
  if (nIn > 0 && nSide > 0) {
    mInputs.resize(2);
    mInBuses.push_back({false, -1, nIn - nSide, 0});
    mInBuses.push_back({false, -1, nSide, nIn - nSide});
    SetInputBusLabel(0, "main input");
    SetInputBusLabel(1, "aux input");
  } else if (nIn > 0) {
    mInputs.resize(1);
    mInBuses.push_back({false, -1, nIn, 0});
    SetInputBusLabel(0, "input");
    SetInputBusLabel(1, "aux input");
  }

  const int nOut = NOutChannels();
  if (plugIsInst) {
    const int nBuses = (nOut + 1) / 2;
    char label[32];
    for (int i = 0; i < nBuses; ++i) {
      mOutBuses.push_back({false, -1, std::min(nOut - 2 * i, 2), 2 * i});
      snprintf(label, sizeof label, "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  } else {
    mOutBuses.push_back({false, -1, nOut, 0});
    SetOutputBusLabel(0, "output");
  }

  AssessInputConnections();
  SetBlockSize(1024);
}

void IModuleAU::ClearHostRenderState() {
  mHostCallbacks = {};
  mRenderTimestamp = -1.0;
}

IGraphics* IModuleAU::GetGraphics() const { return dynamic_cast<IGraphics*>(GetGUI()); }

// ---- buses and connections -------------------------------------------------

int IModuleAU::NHostChannelsConnected(const std::vector<BusChannels>& buses, int excludeIdx) {
  bool counted = false;
  int total = 0;
  for (int i = 0; i < int(buses.size()); ++i) {
    if (i == excludeIdx || buses[size_t(i)].mNHostChannels < 0) continue;
    counted = true;
    total += buses[size_t(i)].mNHostChannels;
  }
  return counted ? total : -1;
}

bool IModuleAU::CheckLegalIO() {
  const int nIn = NHostChannelsConnected(mInBuses);
  const int nOut = NHostChannelsConnected(mOutBuses);
  return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

bool IModuleAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) {
  if (scope == kAudioUnitScope_Input) {
    const int nIn = std::max(NHostChannelsConnected(mInBuses, busIdx), 0) + nChannels;
    return LegalIO(nIn, mActive ? NHostChannelsConnected(mOutBuses) : -1);
  }
  const int nOut = std::max(NHostChannelsConnected(mOutBuses, busIdx), 0) + nChannels;
  return LegalIO(mActive ? NHostChannelsConnected(mInBuses) : -1, nOut);
}

IModuleAU::BusChannels* IModuleAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx) {
  std::vector<BusChannels>* buses = nullptr;
  if (scope == kAudioUnitScope_Global || scope == kAudioUnitScope_Output) buses = &mOutBuses;
  if (scope == kAudioUnitScope_Input) buses = &mInBuses;
  if (!buses || busIdx >= buses->size()) return nullptr;
  return &(*buses)[busIdx];
}

void IModuleAU::AssessInputConnections() {
  Kit_MutexLock lock(GetMutex());
  SetInputChannelConnections(0, NInChannels(), false);
  for (size_t i = 0; i < mInBuses.size() && i < mInputs.size(); ++i) {
    BusChannels& bus = mInBuses[i];
    InputConnection& input = mInputs[i];
    if (input.mUpstreamRenderProc && input.mUpstreamObj) {
      input.mInputType = eDirectFastProc;
    } else if (input.mUpstreamUnit) {
      input.mInputType = eDirectNoFastProc;
    } else if (input.mCallbackInfo.inputProc) {
      input.mInputType = eRenderCallback;
    } else {
      input.mInputType = eNotConnected;
    }
    bus.mConnected = input.mInputType != eNotConnected;
    if (!bus.mConnected) continue;
    if (bus.mNHostChannels < 0) bus.mNHostChannels = bus.mNPlugChannels;
    const int nConnected = std::min(bus.mNHostChannels, bus.mNPlugChannels);
    SetInputChannelConnections(bus.mPlugChannelStartIdx, nConnected, true);
    SetInputChannelConnections(bus.mPlugChannelStartIdx + nConnected,
                               std::max(bus.mNPlugChannels - bus.mNHostChannels, 0), false);
  }
}

void IModuleAU::ClearConnections() {
  for (BusChannels& bus : mInBuses) {
    bus.mConnected = false;
    bus.mNHostChannels = -1;
  }
  for (InputConnection& input : mInputs) input = InputConnection();
  for (BusChannels& bus : mOutBuses) {
    bus.mConnected = false;
    bus.mNHostChannels = -1;
  }
}

// ---- entry ---------------------------------------------------------------

ComponentResult IModuleAU::IModuleAUEntry(ComponentParameters* params, void* storage) {
  if (!params) return paramErr;
  auto* plug = static_cast<IModuleAU*>(storage);
  try {
    if (params->what == kComponentOpenSelect) {
      auto instance = ComponentArgument<ComponentInstance>(*params, 0);
      IModuleAU* made = MakePlug();
      if (!made) return memFullErr;
      made->HostSpecificInit();
      made->PruneUninitializedPresets();
      made->mCI = instance;
      SetComponentInstanceStorage(instance, made);
      return noErr;
    }
    if (params->what == kComponentCloseSelect) {
      if (!plug) return noErr;
      // Before anything is destroyed: a render or a hardware message in flight still
      // runs plug-in code.
      plug->mRenderGate.ShutAndWait();
      plug->ShutDownMidiInput();
      plug->ClearConnections();
      SetComponentInstanceStorage(plug->mCI, nullptr);
      delete plug;
      return noErr;
    }
    if (!plug) return badComponentInstance;
    Kit_MutexLock lock(plug->GetMutex());
    return plug->DispatchSelector(*params);
  } catch (const std::bad_alloc&) {
    return memFullErr;
  } catch (const std::exception&) {
    return kAudioUnitErr_FailedInitialization;
  }
}

// ---- Carbon view entry ---------------------------------------------------------

ComponentResult IModuleAU::IModuleAUCarbonViewEntry(ComponentParameters* params, void* storage) {
  if (!params) return paramErr;
  auto* record = static_cast<CarbonViewRecord*>(storage);
  switch (params->what) {
    case kComponentOpenSelect: {
      auto view = ComponentArgument<ComponentInstance>(*params, 0);
      SetComponentInstanceStorage(view, new CarbonViewRecord{view, nullptr});
      return noErr;
    }
    case kAudioUnitCarbonViewCreateSelect: {
      if (!record) return badComponentInstance;
      auto unit = ComponentArgument<AudioUnit>(*params, 0);
      if (record->mPlug) record->mPlug->ForgetCarbonView(record);
      record->mPlug = static_cast<IModuleAU*>(GetComponentInstanceStorage(unit));
      if (record->mPlug) record->mPlug->mCarbonViews.push_back(record);
      IGraphics* graphics = record->mPlug ? record->mPlug->GetGraphics() : nullptr;
      if (!graphics) return badComponentSelector;
      void* control =
          graphics->OpenWindow(ComponentArgument<void*>(*params, 1), ComponentArgument<void*>(*params, 2), 0, 0);
      if (auto** out = ComponentArgument<void**>(*params, 5)) *out = control;
      return noErr;
    }
    case kComponentCloseSelect:
      if (record) {
        IGraphics* graphics = record->mPlug ? record->mPlug->GetGraphics() : nullptr;
        if (graphics) graphics->CloseWindow();
        if (record->mPlug) record->mPlug->ForgetCarbonView(record);
        SetComponentInstanceStorage(record->mView, nullptr);
        delete record;
      }
      return noErr;
    default: return badComponentSelector;
  }
}

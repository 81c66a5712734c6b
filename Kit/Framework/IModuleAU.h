#pragma once
// The Audio Unit face of the plug-in object. A host reaches it through the
// component entry (IModuleAUEntry) and the fast-dispatch procedures; it answers
// the Audio Unit selectors and properties, renders, takes host MIDI, saves and
// restores the host state dictionary, and announces parameter gestures.
//
// Every selector but open and close runs under the plug-in mutex. The
// fast-dispatch parameter procedures take it themselves; the fast-dispatch
// render procedure takes none (the host must not reconfigure buses, connections
// or render notifications while it renders).

#include <vector>

#include "AudioUnitAPI.h"
#include "Framework/IModuleBase.h"
#include "Framework/IModuleInstanceInfo.h"
#include "Framework/RenderGate.h"

class IGraphics;

class IModuleAU : public IModuleBase {
public:
  // Pulls inputs through the upstream render procedure, the platform's render
  // call on the upstream unit, or the host's render callback.
  enum EAUInputType { eNotConnected = 0, eDirectFastProc, eDirectNoFastProc, eRenderCallback };

  struct BusChannels {
    bool mConnected = false;
    int mNHostChannels = -1;  // -1: the host has not set a count
    int mNPlugChannels = 0;
    int mPlugChannelStartIdx = 0;
  };

  struct InputConnection {
    void* mUpstreamObj = nullptr;  // storage of an upstream unit of this framework
    AudioUnit mUpstreamUnit = nullptr;
    int mUpstreamBusIdx = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallbackStruct mCallbackInfo = {};
    EAUInputType mInputType = eNotConnected;
  };

  struct ListenerEntry {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  struct RenderNotifyEntry {
    AURenderCallback mFunc;
    void* mFuncArgs;
  };

  // The largest block size a host may set; larger ones (and 0) are refused.
  static constexpr int kMaxBlockSize = 32768;
  // The sample rates a host may set, those of audio hardware; others (not a number,
  // 0, negative, tiny or huge) are refused and the old rate kept, so that the latency
  // in seconds and the delay in milliseconds stay within their types.
  static constexpr double kMinSampleRate = 1000.0;
  static constexpr double kMaxSampleRate = 1536000.0;
  static bool IsUsableSampleRate(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
  static constexpr int kParamTextBufferSize = 52;
  // Most channels one bus may have when its inputs are pulled.
  static constexpr int kMaxBusChannels = 32;

  IModuleAU(const IModuleInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
            const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  ~IModuleAU() override;

  // IModuleBase::initialize, then the buses (instruments get one output bus per
  // two channels), then a block size of 1024.
  void initialize(const IModuleInstanceInfo& instanceInfo, int nAutomated, int nParams, const char* channelIOStr,
                  int nPresets, const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                  int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                  int nSideChainChannels);

  // ---- entries ----
  // The component entry: `storage` is the plug-in object (null before open).
  static ComponentResult IModuleAUEntry(ComponentParameters* params, void* storage);
  // The Carbon view component entry: `storage` is the view's record.
  static ComponentResult IModuleAUCarbonViewEntry(ComponentParameters* params, void* storage);

  // ---- properties (callers hold the plug-in mutex) ----
  // `size` is in/out: in, the room at `data`; out, the property's size. With
  // `data` null only size and writability are answered. A property larger than
  // the room is refused with kAudioUnitErr_InvalidPropertyValue, nothing written.
  OSStatus GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                       Boolean* writable, void* data);
  // `data` must hold `size` bytes; too little is refused before anything is read.
  OSStatus SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element, UInt32 size,
                       const void* data);
  // Fast-dispatch parameter procedures; they take the plug-in mutex.
  // threads: main, render
  static OSStatus GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* value);
  // threads: main, render
  static OSStatus SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 bufferOffset);
  // The fast-dispatch procedure for a selector (14, 7 or 6) as property 5 answers it.
  OSStatus GetProc(AudioUnitElement selector, UInt32* size, void* proc);
  static UInt32 GetTagForNumChannels(int channels);
  // 1 (and the tag, when `tag` is not null) for the output scope, or the input
  // scope when an input bus exists; 0 otherwise.
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, UInt32* tag);
  static void MakeDefaultASBD(AudioStreamBasicDescription* description, double sampleRate, int channels,
                              bool interleaved);

  // ---- host state dictionary ----
  OSStatus GetState(CFPropertyListRef* state);
  OSStatus SetState(CFPropertyListRef state);

  // ---- render ----
  // kAudioUnitErr_NoConnection when called back through a loop of connections.
  // threads: render
  static OSStatus RenderProc(void* plug, AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timeStamp,
                             UInt32 outputBusNumber, UInt32 frames, AudioBufferList* buffers);

  // ---- buses and connections (callers hold the plug-in mutex) ----
  bool CheckLegalIO();
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  // Sum of the host channel counts, skipping `excludeIdx` and counts below 0;
  // -1 when no bus counted.
  static int NHostChannelsConnected(const std::vector<BusChannels>& buses, int excludeIdx = -1);
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  void AssessInputConnections();
  void ClearConnections();
  int NInputBuses() const { return int(mInBuses.size()); }
  int NOutputBuses() const { return int(mOutBuses.size()); }

  // ---- notifications to the host ----
  // Delivered at once to the listeners the host registered for the parameter.
  // threads: main, midi-in, worker
  void SendAUEvent(UInt32 eventType, AudioUnit unit, int paramIdx);
  AudioUnit GetComponentInstance() const { return mCI; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  const char* GetCocoaViewFactoryClassName() const { return mCocoaViewFactoryClassName.Get(); }
  // The panel as a graphics object, or null when the plug-in has none.
  IGraphics* GetGraphics() const;

  // ---- replaced operations of IModuleBase ----
  // threads: main, midi-in, worker (as SendAUEvent)
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override { return mIsOffline; }
  // threads: render
  int GetSamplePos() override;
  // threads: render
  double GetTempo() override;
  // The tempo the host reports now, 0 when it reports none; keeps nothing.
  // threads: any
  double HostTempoNow() const;
  // threads: render
  void GetTimeSig(int* numerator, int* denominator) override;
  // threads: render
  void GetTime(ITimeInfo* timeInfo) override;
  EHost GetHost() override;
  void ResizeGraphics(int width, int height) override;
  void SetLatency(int samples) override;
  bool SendMidiVST(IMidiMsg* msg) override { return false; }
  // The sends go out on the hardware output port; false when no port is open or
  // the message is malformed.
  // threads: main, render, midi-in, worker, tick-performer
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendMidiSysex(unsigned char* data, int size) override;
  bool SendPatchSysex(unsigned char* data, int size) override;
  bool SendMidiSysex2(std::vector<unsigned char> data) override;
  void HostSpecificInit() override;
  // Refuses 0 and sizes above kMaxBlockSize (keeps the old size).
  void SetBlockSize(int blockSize) override;

private:
  // The selector and property tables: one small function per entry
  // (IModuleAUSelectors.cpp, IModuleAUProperties.cpp).
  friend struct AUSelectors;
  friend struct AUPropertyGetters;
  friend struct AUPropertySetters;

  // The storage of a Carbon view instance; defined with the view entry.
  struct CarbonViewRecord;
  void ForgetCarbonView(CarbonViewRecord* record);

  OSStatus DispatchSelector(const ComponentParameters& p);
  void CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  OSStatus GetParameterInfo(int paramIdx, AudioUnitParameterInfo* info);
  OSStatus SetStreamFormat(AudioUnitScope scope, AudioUnitElement element, const AudioStreamBasicDescription& format);
  OSStatus MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection);
  OSStatus PullInputs(const AudioTimeStamp* timeStamp, UInt32 frames);
  OSStatus PrepareOutputBus(UInt32 busIdx, UInt32 frames, AudioBufferList* buffers);
  void NotifyRender(AudioUnitRenderActionFlags action, const AudioTimeStamp* timeStamp, UInt32 busIdx, UInt32 frames,
                    AudioBufferList* buffers);
  int ClumpIDForGroup(const char* group);
  void ClearHostRenderState();

  Kit_String mBundleID;
  Kit_String mCocoaViewFactoryClassName;
  char mParamValueString[kParamTextBufferSize] = "";
  AudioUnit mCI = nullptr;
  bool mActive = false;
  bool mIsOffline = false;
  double mRenderTimestamp = -1.0;
  // Set while this unit pulls its inputs (render thread): a render call that
  // arrives meanwhile comes through a connection loop and is refused.
  bool mPullingInputs = false;
  // The close shuts it before anything goes; the fast-dispatch render passes it.
  // threads: render, main
  RenderGate mRenderGate;
  double mTempo = 138.0;
  // The host's user data and its three time procedures, as property 27 hands them over.
  using HostCallbackSet = HostCallbackInfo;
  HostCallbackSet mHostCallbacks = {};
  std::vector<float> mInScratchBuf;
  std::vector<float> mOutScratchBuf;
  std::vector<RenderNotifyEntry> mRenderNotify;
  std::vector<BusChannels> mInBuses;
  std::vector<BusChannels> mOutBuses;
  std::vector<InputConnection> mInputs;
  std::vector<ListenerEntry> mPropertyListeners;
  // Carbon views that were created for this unit: a host may close the unit
  // first, and the views must then no longer reach it.
  std::vector<CarbonViewRecord*> mCarbonViews;
};

// Builds the plug-in object for a newly opened instance; the plug-in library
// defines it.
IModuleAU* MakePlug();

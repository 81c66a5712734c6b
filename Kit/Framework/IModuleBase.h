#pragma once
// The framework base of the plug-in object: its parameters (with the tail that is never
// reported to the host), presets, channel configuration and buffers, identity, the host's
// identity, the panel, the hardware MIDI ports and the recursive plug-in mutex.
//
// The Audio Unit wrapper derives from it and supplies the host-facing operations (the
// pure virtual ones); the plug-in class derives from the wrapper and supplies the
// behaviour (OnParamChange, ProcessMidiMsg, SerializeState, ...).
//
// Stored state (the chunks below) is independent of pointer and long size.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Framework/ByteChunk.h"
#include "Framework/Hosts.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IMidiPorts.h"
#include "Framework/IModulePanel.h"
#include "Framework/IParam.h"
#include "Framework/IPreset.h"
#include "Kit_HeapBuf.h"
#include "Kit_Mutex.h"
#include "Kit_Random.h"
#include "Kit_String.h"

class IControl;

enum EAPI { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIRTAS, kAPIAAX, kAPISA };

// The host's clock as the plug-in sees it; fields the host does not report keep these defaults.
struct ITimeInfo {
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

class IModuleBase : public IMidiPortsSink {
public:
  struct ChannelIO {
    int32_t mIn;
    int32_t mOut;
  };
  struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;  // this channel's slot in the input-pointer array
    Kit_TypedBuf<double> mScratchBuf;
    Kit_String mLabel;
  };
  struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;  // this channel's slot in the output-pointer array
    float* mFDest = nullptr;   // the host's float buffer, when it gave one
    Kit_TypedBuf<double> mScratchBuf;
    Kit_String mLabel;
  };

  static constexpr int kMaxNameLength = 127;

  // Only the ids, version, latency, API and flags are kept; initialize supplies the rest.
  IModuleBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
              const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
              bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  // 0-1
  virtual ~IModuleBase();
  IModuleBase(const IModuleBase&) = delete;
  IModuleBase& operator=(const IModuleBase&) = delete;

  // Called once, right after construction. Version, ids, latency and flags are ignored.
  void initialize(int nAutomated, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                  const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                  bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);
  // The last n parameters are never reported to the host; n is held to 0..NParams().
  void addNonAutomateParamCount(int n);

  // ---- virtual operations, in slot order ----
  virtual void Reset();                                                                 // 2
  virtual void OnParamChange(int paramIdx);                                             // 3
  virtual void OnParamChange2(int paramIdx);                                            // 4
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);  // 5
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);    // 6
  virtual void OnGUIOpen() {}                                                           // 7
  virtual void OnGUIClose() {}                                                          // 8
  virtual void OnIdle() {}                                                              // 9
  virtual void OnActivate(bool active);                                                 // 10
  // threads: main (host MIDI, under the mutex), midi-in (fromHardware, no lock)
  virtual void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) {}  // 11
  // threads: main (host MIDI, under the mutex), midi-in (fromHardware, no lock)
  virtual void ProcessSysEx(ISysEx* sysex, bool fromHardware) {}  // 12
  virtual bool MidiNoteName(int noteNumber, char* name);          // 13
  virtual bool SerializeState(ByteChunk* chunk);                  // 14
  // A chunk that does not read whole changes nothing and gives -1: an override checks
  // that every field is there before it applies any.
  virtual int UnserializeState(ByteChunk* chunk, int startPos);  // 15
  // incomingState holds at least startPos + (number of automated parameters) doubles.
  virtual bool CompareState(const unsigned char* incomingState, int startPos);  // 16
  virtual void OnWindowResize() {}                                              // 17
  virtual bool HostRequestingAboutBox() { return false; }                       // 18
  virtual void OnHostIdentified() {}                                            // 19
  virtual void PopupHostContextMenuForParam(int paramIdx, int x, int y) {}      // 20
  // Sets the parameter from a control; OnParamChange follows only on a real change
  // (always for a text parameter). The mutex is held for the whole call.
  // threads: main
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);  // 21
  // The same for a value that came from the synthesizer; calls OnParamChange2.
  // threads: main, midi-in, worker
  virtual void SetParameterFromGUI2(int paramIdx, double normalizedValue);         // 22
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;                     // 23
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;  // 24
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;                       // 25
  virtual void InformHostOfProgramChange() = 0;                                    // 26
  virtual bool IsRenderingOffline() { return false; }                              // 27
  virtual int GetSamplePos() = 0;                                                  // 28
  virtual double GetTempo() = 0;                                                   // 29
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;                   // 30
  virtual void GetTime(ITimeInfo* timeInfo) = 0;                                   // 31
  virtual EHost GetHost() { return mHost; }                                        // 32
  virtual EAPI GetAPI() { return mAPI; }                                           // 33
  virtual void ResizeGraphics(int width, int height) = 0;                          // 34
  // Pushes every parameter's plain value to its controls.
  virtual void RedrawParamControls();                           // 35
  virtual void SetLatency(int samples) { mLatency = samples; }  // 36
  virtual bool SendMidiVST(IMidiMsg* msg) = 0;                  // 37
  // threads: main, render, midi-in, worker, tick-performer
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;                                    // 38
  virtual bool SendMidiSysex(unsigned char* data, int size) { return false; }     // 39
  virtual bool SendPatchSysex(unsigned char* data, int size) { return false; }    // 40
  virtual bool SendMidiSysex2(std::vector<unsigned char> data) { return false; }  // 41
  virtual void HostSpecificInit() {}                                              // 42
  // Takes ownership; null is ignored.
  virtual void AttachGraphics(IModulePanel* graphics);     // 43
  virtual bool SendSysEx(ISysEx* sysex) { return false; }  // 44
  virtual void DirtyPTCompareState() {}                    // 45
  virtual void PresetsChangedByHost() {}                   // 46
  virtual void SetBlockSize(int blockSize);                // 47
  // The user asks to close the panel's window: false keeps it open.
  // threads: main
  virtual bool OnGUICloseRequest() { return true; }  // 48
  // Escape ended the text entry of a control bound to paramIdx: nothing was applied.
  virtual void OnTextEntryCancelled(int paramIdx) {}  // 49
  // True while a transfer with outside hardware runs on a thread of the plug-in's
  // own; a host's script waits it out.
  // threads: any
  virtual bool IsTransferring() const { return false; }  // 50
  // A press fell on a greyed control bound to paramIdx (-1 for none), which takes no
  // input: the plug-in may say why it is greyed.
  // threads: main
  virtual void OnGrayedControlClicked(int paramIdx) {}  // 51
  // A press, drag, wheel turn, key or menu choice at (x, y) is about to reach
  // `control`: false refuses it, and the plug-in says why.
  // threads: main
  virtual bool PanelInputAllowed(IControl* control, int x, int y) { return true; }  // 52

  // ---- parameters ----
  int NParams() const { return mParams.GetSize(); }
  // nullptr for an index outside the list. The list is fixed after initialize.
  // threads: any
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NAutomatedParams() const { return NParams() - mNonAutomatedCount; }
  int NNonAutomatedParams() const { return mNonAutomatedCount; }
  // threads: any
  IModulePanel* GetGUI() const { return mGraphics; }
  // Deletes the panel now, before the plug-in, for a plug-in whose own members
  // (binding records, layer pointers) must outlive it. No other thread may still
  // reach the panel.
  // threads: main (never under the plug-in mutex)
  void DropGraphics();
  Kit_Mutex& GetMutex() { return mMutex; }

  void OnParamReset();
  void DirtyParameters();

  // ---- state chunks (each takes the mutex) ----
  // False when the chunk could not grow to take every value.
  bool SerializeParams(ByteChunk* chunk);
  int UnserializeParams(ByteChunk* chunk, int startPos);
  // False when the chunk could not grow to take every value.
  bool SerializeNonAutomatedParams(ByteChunk* chunk, int n);
  int UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n);

  // ---- presets (callers hold the mutex) ----
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  // False when the chunk could not grow to take every preset.
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(ByteChunk* chunk, int startPos);
  // One value per automated parameter: int for bool, int and enum parameters, else double.
  void MakePreset(const char* name, ...);
  // nNamed pairs of (int paramIdx, value) with values typed as in MakePreset.
  void MakePresetFromNamedParams(const char* name, int nNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* chunk);
  void MakePresetFromBlob(const char* name, const char* base64, int size);
  // Write source text that recreates the current state; false when the file cannot be written.
  bool DumpPresetSrcCode(const char* path, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* path);

  // ---- program and bank files (callers hold the mutex, as for presets) ----
  // Writes the current state, named as the current preset, or the preset bank to `path`
  // in one step: a state chunk when the plug-in saves chunks, else the normalised values
  // of the automated parameters. False, with the file as it was, when it cannot be written.
  bool SaveProgramAsFXP(const char* path);
  bool SaveBankAsFXB(const char* path);
  // Loads a file of this plug-in. False, with nothing applied, when the file cannot be
  // read, is not whole, is another plug-in's, or does not fit this plug-in's parameters
  // or presets.
  bool LoadProgramFromFXP(const char* path);
  bool LoadBankFromFXB(const char* path);
  // The last file saved or loaded; "" before any.
  const char* GetProgramFilePath() const { return mProgramFilePath.Get(); }
  // For the plug-in's own file prompts, which start where the last file was.
  void SetProgramFilePath(const char* path) { mProgramFilePath.Set(path); }

  // ---- channels and buffers ----
  bool LegalIO(int nIn, int nOut) const;
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  // False for an index outside the list.
  bool GetChannelIO(int idx, int* nIn, int* nOut) const;
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  // Buffers go, in order, to the connected channels among idx .. idx + n - 1.
  void AttachInputBuffers(int idx, int n, double** buffers, int nFrames);
  void AttachInputBuffers(int idx, int n, float** buffers, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** buffers);
  void AttachOutputBuffers(int idx, int n, float** buffers);
  // threads: render
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffersAccumulating(float, int nFrames);
  void PassThroughBuffers(double, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  void ZeroScratchBuffers();
  int GetBlockSize() const { return mBlockSize; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  double GetSampleRate() const { return mSampleRate; }
  double GetSamplesPerBeat();
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  // nullptr for a bus without a label.
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;
  void LimitToStereoIO();
  int GetLatency() const { return mLatency; }

  // ---- identity, host and version ----
  static void GetVersionParts(int version, int* major, int* minor, int* bugfix);
  static int GetDecimalVersion(int version);
  // Writes "v<major>[.<minor>[.<bugfix>]]"; buf holds at least kVersionStrSize characters.
  static void GetVersionStr(int version, char* buf);
  static constexpr int kVersionStrSize = 40;
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* buf) const;
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* buf);
  void SetHost(const char* name, int version);
  const char* GetAPIString();
  const char* GetArchString() const { return "x86"; }
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  bool IsBypassed() const { return mBypassed; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  Kit_PtrList<Kit_String>& GetParamGroups() { return mParamGroups; }
  // AND of SendMidiMsg over the records; true for none.
  bool SendMidiMsgs(Kit_TypedBuf<IMidiMsg>* msgs);

  // ---- randomness ----
  // This object's own random source, freshly seeded at construction.
  // threads: main
  Kit_RandomSource& GetRandom() { return *mRandom; }
  // Replaces the source (tests fix the seed); null is ignored. threads: main
  void UseRandomSource(std::unique_ptr<Kit_RandomSource> source);

  // ---- hardware MIDI ports (forwarded to the owned IMidiPorts) ----
  IMidiPorts& GetMidiPorts() { return *mMidiPorts; }
  // Replaces the port object by one on other transports (tests, the simulator).
  // Call before any port operation; the old object is closed and deleted.
  // threads: main
  void UseMidiTransports(std::shared_ptr<MidiTransportFactory> transports);
  // Stops hardware MIDI input for good and waits for a handler in flight to return.
  // The Close selector calls it before deleting the plug-in; a derived destructor
  // whose members the handlers use calls it first.
  // threads: main (never under the plug-in mutex: a handler in flight may wait for it)
  void ShutDownMidiInput() { mMidiPorts->ShutDownInput(); }
  // threads: main
  const IMidiPortNames* getExternalMIDIInNames() { return mMidiPorts->getExternalMIDIInNames(); }
  const IMidiPortNames* getExternalMIDIOutNames() { return mMidiPorts->getExternalMIDIOutNames(); }
  int setExternalMIDIIn(int& index, const char* name) { return mMidiPorts->setExternalMIDIIn(index, name); }
  // Virtual: a plug-in that runs a clock tells the unit it leaves (every road comes here).
  virtual int setExternalMIDIOut(int& index, const char* name) { return mMidiPorts->setExternalMIDIOut(index, name); }
  int getExternalMIDIInDevice(const char* name) { return mMidiPorts->getExternalMIDIInDevice(name); }
  int getExternalMIDIOutDevice(const char* name) { return mMidiPorts->getExternalMIDIOutDevice(name); }
  int GetMIDIInPortNumber(const char* name) { return mMidiPorts->GetMIDIInPortNumber(name); }
  int GetMIDIOutPortNumber(const char* name) { return mMidiPorts->GetMIDIOutPortNumber(name); }
  bool initializeVirtualOutput(std::string name) { return mMidiPorts->initializeVirtualOutput(std::move(name)); }

  // ---- port menus ----
  // Makes the choice parameter `paramIdx` the menu of the input (or output) ports and
  // writes its entries from the port list.
  // threads: main
  void SetPortMenu(int paramIdx, bool input);
  // For a port menu (nothing otherwise), as it opens: the ports there are now, listed
  // anew; the chosen port stays chosen at its new entry, and a chosen port that has
  // gone stays listed as "name (gone)". Every control of the parameter shows it.
  // threads: main
  void ListPortMenu(int paramIdx);
  // For a port menu: its chosen entry reads "name (gone)" while `gone`, else the name.
  // The entries stay where they are, so a menu open now chooses what it shows.
  // threads: main
  void MarkChosenPortGone(int paramIdx, bool gone);

  // What arrives at the hardware input goes to ProcessMidiMsg / ProcessSysEx with
  // fromHardware set; no lock is taken.
  // threads: midi-in
  void MidiFromDevice(IMidiMsg* msg) override { ProcessMidiMsg(msg, true); }
  void SysExFromDevice(ISysEx* sysex) override { ProcessSysEx(sysex, true); }

protected:
  EHost mHost = kHostUninit;
  int mHostVersion = 0;

private:
  void ParseChannelIO(const char* channelIOStr);
  // Writes the port menu's entries from its port list, a gone port's marked.
  void WritePortEntries(IParam* param, bool input);
  void SetParameterFromPanel(int paramIdx, double normalizedValue, bool fromHardware);
  // Reads one double at pos into param (0.0 on a failed read), clamped; returns the next
  // position or -1.
  static int UnserializeParamValue(const ByteChunk* chunk, int pos, IParam* param);
  // Runs `load`; when it fails, puts the parameters and presets back as they were.
  bool LoadWholeOrNothing(const std::function<bool()>& load);
  // The first preset not yet initialised, marked initialised, named, with an empty chunk.
  IPreset* TakeFreePreset(const char* name);
  void DeleteChannels();
  // Makes every scratch a channel reads or writes hold nFrames.
  void FitScratchBuffers(int nFrames);

  int mNonAutomatedCount = 0;
  Kit_PtrList<ChannelIO> mChannelIO;
  Kit_Mutex mMutex;
  char mEffectName[kMaxNameLength + 1] = "";
  char mProductName[kMaxNameLength + 1] = "";
  char mMfrName[kMaxNameLength + 1] = "";
  int mUniqueID;
  int mMfrID;
  int mVersion;
  EAPI mAPI;
  bool mStateChunks;
  bool mIsInst;
  // Read by the render thread, set by host calls.
  std::atomic<bool> mBypassed{false};
  int mCurrentPresetIdx = 0;
  std::atomic<double> mSampleRate{44100.0};
  std::atomic<int> mBlockSize{0};
  std::atomic<int> mLatency;
  Kit_PtrList<Kit_String> mParamGroups;
  Kit_String mProgramFilePath;
  // Attached on main; read on midi-in and worker.
  std::atomic<IModulePanel*> mGraphics{nullptr};
  Kit_PtrList<IParam> mParams;
  Kit_PtrList<IPreset> mPresets;
  Kit_TypedBuf<double*> mInData;
  Kit_TypedBuf<double*> mOutData;
  Kit_PtrList<InChannel> mInChannels;
  Kit_PtrList<OutChannel> mOutChannels;
  Kit_PtrList<Kit_String> mInputBusLabels;
  Kit_PtrList<Kit_String> mOutputBusLabels;
  std::unique_ptr<IMidiPorts> mMidiPorts;
  // The port menus' parameters, input then output; -1 for none.
  int mPortMenus[2] = {-1, -1};
  std::unique_ptr<Kit_RandomSource> mRandom;
};

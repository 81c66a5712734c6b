#pragma once
// Stand-in for the Audio Unit interface: selectors, property ids, scopes,
// result codes, flags, the records exchanged through properties, the host's
// callbacks, and the host-side calls that reach a unit through its entry.
// Sizes are taken with sizeof (we build 64-bit).

#include "ComponentManager.h"
#include "CoreAudioTypes.h"
#include "CoreFoundation.h"

using AudioUnit = ComponentInstance;
using AudioUnitPropertyID = UInt32;
using AudioUnitScope = UInt32;
using AudioUnitElement = UInt32;
using AudioUnitParameterID = UInt32;
using AudioUnitParameterValue = Float32;
using AudioUnitRenderActionFlags = UInt32;
using MusicDeviceInstrumentID = UInt32;
using MusicDeviceGroupID = UInt32;
using NoteInstanceID = UInt32;

constexpr OSType kAudioUnitType_MusicDevice = FourCC("aumu");
constexpr OSType kAudioUnitCarbonViewComponentType = FourCC("auvw");

enum : SInt16 {
  kAudioUnitInitializeSelect = 1,
  kAudioUnitUninitializeSelect = 2,
  kAudioUnitGetPropertyInfoSelect = 3,
  kAudioUnitGetPropertySelect = 4,
  kAudioUnitSetPropertySelect = 5,
  kAudioUnitGetParameterSelect = 6,
  kAudioUnitSetParameterSelect = 7,
  kAudioUnitResetSelect = 9,
  kAudioUnitAddPropertyListenerSelect = 10,
  kAudioUnitRemovePropertyListenerSelect = 11,
  kAudioUnitRenderSelect = 14,
  kAudioUnitAddRenderNotifySelect = 15,
  kAudioUnitRemoveRenderNotifySelect = 16,
  kAudioUnitScheduleParametersSelect = 17,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 18,
  kMusicDeviceMIDIEventSelect = 0x101,
  kMusicDeviceSysExSelect = 0x102,
  kMusicDevicePrepareInstrumentSelect = 0x103,
  kMusicDeviceReleaseInstrumentSelect = 0x104,
  kMusicDeviceStartNoteSelect = 0x105,
  kMusicDeviceStopNoteSelect = 0x106,
  kAudioUnitCarbonViewCreateSelect = 0x301,
};

enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
};

enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_CPULoad = 6,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_AUHostIdentifier = 46,
  kMusicDeviceProperty_InstrumentCount = 1000,
};

constexpr OSStatus kAudioUnitErr_InvalidProperty = -10879;
constexpr OSStatus kAudioUnitErr_InvalidParameter = -10878;
constexpr OSStatus kAudioUnitErr_InvalidElement = -10877;
constexpr OSStatus kAudioUnitErr_NoConnection = -10876;
constexpr OSStatus kAudioUnitErr_FailedInitialization = -10875;
constexpr OSStatus kAudioUnitErr_TooManyFramesToProcess = -10874;
constexpr OSStatus kAudioUnitErr_FormatNotSupported = -10868;
constexpr OSStatus kAudioUnitErr_Uninitialized = -10867;
constexpr OSStatus kAudioUnitErr_InvalidScope = -10866;
constexpr OSStatus kAudioUnitErr_PropertyNotWritable = -10865;
constexpr OSStatus kAudioUnitErr_InvalidPropertyValue = -10851;
constexpr OSStatus kAudioUnitErr_PropertyNotInUse = -10850;

enum : AudioUnitRenderActionFlags {
  kAudioUnitRenderAction_PreRender = 1u << 2,
  kAudioUnitRenderAction_PostRender = 1u << 3,
  kAudioUnitRenderAction_OutputIsSilence = 1u << 4,
};

enum : UInt32 {
  kAudioUnitParameterFlag_CFNameRelease = 1u << 4,
  kAudioUnitParameterFlag_HasClump = 1u << 20,
  kAudioUnitParameterFlag_HasCFNameString = 1u << 27,
  kAudioUnitParameterFlag_IsElementMeta = 1u << 29,
  kAudioUnitParameterFlag_IsReadable = 1u << 30,
  kAudioUnitParameterFlag_IsWritable = 1u << 31,
};

enum : UInt32 {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_CustomUnit = 26,
};

enum : UInt32 {
  kAudioChannelLayoutTag_Mono = (100u << 16) | 1,
  kAudioChannelLayoutTag_Stereo = (101u << 16) | 2,
  kAudioChannelLayoutTag_Unknown = 0xFFFF0000u,
};

constexpr SInt32 kAudioUnitParameterName_Full = -1;

// --- records exchanged through properties ----------------------------------

struct AudioUnitParameterInfo {
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  UInt32 unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  UInt32 flags;
};

struct AudioUnitConnection {
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
};

using AURenderCallback = OSStatus (*)(void* refCon, AudioUnitRenderActionFlags* actionFlags,
                                      const AudioTimeStamp* timeStamp, UInt32 busNumber, UInt32 frames,
                                      AudioBufferList* data);

struct AURenderCallbackStruct {
  AURenderCallback inputProc;
  void* inputProcRefCon;
};

using HostCallback_GetBeatAndTempo = OSStatus (*)(void* hostUserData, Float64* currentBeat, Float64* currentTempo);
using HostCallback_GetMusicalTimeLocation = OSStatus (*)(void* hostUserData, UInt32* deltaSampleOffsetToNextBeat,
                                                         Float32* timeSigNumerator, UInt32* timeSigDenominator,
                                                         Float64* currentMeasureDownBeat);
using HostCallback_GetTransportState = OSStatus (*)(void* hostUserData, Boolean* isPlaying,
                                                    Boolean* transportStateChanged, Float64* currentSampleInTimeLine,
                                                    Boolean* isCycling, Float64* cycleStartBeat, Float64* cycleEndBeat);

struct HostCallbackInfo {
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
};

struct AUChannelInfo {
  SInt16 inChannels;
  SInt16 outChannels;
};

struct AUPreset {
  SInt32 presetNumber;
  CFStringRef presetName;
};

struct AudioUnitCocoaViewInfo {
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
};

struct AudioUnitParameterStringFromValue {
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
};

struct AudioUnitParameterIDName {
  AudioUnitParameterID inID;
  SInt32 inDesiredLength;
  CFStringRef outName;
};

struct AudioUnitParameterNameInfo {
  UInt32 inID;
  SInt32 inDesiredLength;
  CFStringRef outName;
};

struct AudioUnitParameterValueFromString {
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
};

struct NumVersion {
  UInt8 majorRev;
  UInt8 minorAndBugRev;
  UInt8 stage;
  UInt8 nonRelRev;
};

struct AUHostIdentifier {
  CFStringRef hostName;
  NumVersion hostVersion;
};

enum : UInt32 { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };

struct AudioUnitParameterEvent {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  UInt32 eventType;
  union {
    struct {
      SInt32 startBufferOffset;
      UInt32 durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct {
      UInt32 bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
};

struct MusicDeviceNoteParams {
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
};

using AudioUnitPropertyListenerProc = void (*)(void* userData, AudioUnit unit, AudioUnitPropertyID id,
                                               AudioUnitScope scope, AudioUnitElement element);

// Fast-dispatch procedures (property 5): called with the instance's storage word.
using AudioUnitGetParameterProc = OSStatus (*)(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                               AudioUnitElement element, AudioUnitParameterValue* value);
using AudioUnitSetParameterProc = OSStatus (*)(void* storage, AudioUnitParameterID id, AudioUnitScope scope,
                                               AudioUnitElement element, AudioUnitParameterValue value,
                                               UInt32 bufferOffsetInFrames);
using AudioUnitRenderProc = OSStatus (*)(void* storage, AudioUnitRenderActionFlags* actionFlags,
                                         const AudioTimeStamp* timeStamp, UInt32 outputBusNumber, UInt32 frames,
                                         AudioBufferList* data);

// --- host-side calls: each packs its arguments and calls the unit's entry ----

OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* dataSize, Boolean* writable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* data, UInt32* dataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* data, UInt32 dataSize);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* value);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 bufferOffset);
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData);
OSStatus AudioUnitRemovePropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData);
OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* refCon);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* actionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBusNumber, UInt32 frames, AudioBufferList* data);
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length);
OSStatus MusicDeviceStartNote(AudioUnit unit, MusicDeviceInstrumentID instrument, MusicDeviceGroupID group,
                              NoteInstanceID* noteInstance, UInt32 offsetSampleFrame,
                              const MusicDeviceNoteParams* params);
OSStatus MusicDeviceStopNote(AudioUnit unit, MusicDeviceGroupID group, NoteInstanceID noteInstance,
                             UInt32 offsetSampleFrame);

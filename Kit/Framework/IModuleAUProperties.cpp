// Audio Unit properties and the fast-dispatch parameter procedures.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Framework/IGraphics.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IModuleAU.h"
#include "Framework/aupresets/AUDictionary.h"
#include "Framework/aupresets/CFAUPreset.h"
#include "Kit_Utf8.h"

namespace {

// Answers size and writability, and checks the host's room before any write.
struct Reply {
  UInt32* size;
  Boolean* writable;
  void* data;
  UInt32 room;

  // kAudioUnitErr_InvalidPropertyValue when data is given but does not fit.
  OSStatus Fit(size_t need, bool canWrite) const {
    *size = UInt32(need);
    *writable = canWrite;
    return (data && room < need) ? kAudioUnitErr_InvalidPropertyValue : noErr;
  }

  template <typename T>
  OSStatus Give(const T& value, bool canWrite) const {
    if (OSStatus r = Fit(sizeof(T), canWrite)) return r;
    if (data) std::memcpy(data, &value, sizeof(T));
    return noErr;
  }
};

CFStringRef NewString(const char* text) {
  return CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
}

// The UTF-8 text of a string the host passed; null when it is no string.
const char* HostText(CFStringRef text) {
  if (!text || CFGetTypeID(text) != CFStringGetTypeID()) return nullptr;
  return CFStringGetCStringPtr(text, kCFStringEncodingUTF8);
}

}  // namespace

// ---- parameter procedures ---------------------------------------------------

OSStatus IModuleAU::GetParamProc(void* plugObject, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* value) {
  auto* plug = static_cast<IModuleAU*>(plugObject);
  if (!plug) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  Kit_MutexLock lock(plug->GetMutex());
  IParam* param = plug->GetParam(int(std::min<UInt32>(paramID, INT32_MAX)));
  if (!param) return kAudioUnitErr_InvalidParameter;
  if (!value) return paramErr;
  *value = AudioUnitParameterValue(param->Value());
  return noErr;
}

OSStatus IModuleAU::SetParamProc(void* plugObject, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset) {
  auto* plug = static_cast<IModuleAU*>(plugObject);
  if (!plug) return badComponentInstance;
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  Kit_MutexLock lock(plug->GetMutex());
  const int idx = int(std::min<UInt32>(paramID, INT32_MAX));
  IParam* param = plug->GetParam(idx);
  if (!param) return kAudioUnitErr_InvalidParameter;
  // No clamp can place a value that is not a number: refuse it, nothing changes.
  if (!std::isfinite(value)) return paramErr;
  // Stored clamped first; an open panel then stores it again rounded to the
  // parameter's step, so the host reads the value the panel shows.
  param->Set(std::clamp(double(value), param->GetMin(), param->GetMax()));
  if (IModulePanel* panel = plug->GetGUI()) panel->SetParameterFromPlug(idx, value, false);
  plug->OnParamChange(idx);
  return noErr;
}

// ---- helpers ------------------------------------------------------------

OSStatus IModuleAU::GetProc(AudioUnitElement selector, UInt32* size, void* proc) {
  void* address = nullptr;
  switch (selector) {
    case kAudioUnitRenderSelect: address = reinterpret_cast<void*>(&IModuleAU::RenderProc); break;
    case kAudioUnitSetParameterSelect: address = reinterpret_cast<void*>(&IModuleAU::SetParamProc); break;
    case kAudioUnitGetParameterSelect: address = reinterpret_cast<void*>(&IModuleAU::GetParamProc); break;
    default: return kAudioUnitErr_InvalidElement;
  }
  if (size) *size = sizeof(void*);
  if (proc) std::memcpy(proc, &address, sizeof address);
  return noErr;
}

UInt32 IModuleAU::GetTagForNumChannels(int channels) {
  if (channels == 1) return kAudioChannelLayoutTag_Mono;
  if (channels == 2) return kAudioChannelLayoutTag_Stereo;
  return kAudioChannelLayoutTag_Unknown;
}

int IModuleAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, UInt32* tag) {
  const bool answers = scope == kAudioUnitScope_Output || (scope == kAudioUnitScope_Input && NInputBuses() > 0);
  if (!answers) return 0;
  if (tag) {
    BusChannels* bus = GetBus(kAudioUnitScope_Output, element);
    *tag = GetTagForNumChannels(bus ? bus->mNPlugChannels : 0);
  }
  return 1;
}

void IModuleAU::MakeDefaultASBD(AudioStreamBasicDescription* d, double sampleRate, int channels, bool interleaved) {
  if (!d) return;
  *d = AudioStreamBasicDescription();
  d->mSampleRate = sampleRate;
  d->mFormatID = kAudioFormatLinearPCM;
  d->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  if (!interleaved) d->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  const UInt32 bytes = UInt32(sizeof(Float32)) * (interleaved ? UInt32(std::max(channels, 0)) : 1u);
  d->mBytesPerPacket = bytes;
  d->mBytesPerFrame = bytes;
  d->mFramesPerPacket = 1;
  d->mChannelsPerFrame = UInt32(std::max(channels, 0));
  d->mBitsPerChannel = 32;
}

int IModuleAU::ClumpIDForGroup(const char* group) {
  Kit_PtrList<Kit_String>& groups = GetParamGroups();
  for (int i = 0; i < groups.GetSize(); ++i)
    if (std::strcmp(groups.Get(i)->Get(), group) == 0) return i + 1;
  groups.Add(new Kit_String(group));
  return groups.GetSize();
}

OSStatus IModuleAU::GetParameterInfo(int paramIdx, AudioUnitParameterInfo* info) {
  IParam* param = GetParam(paramIdx);
  if (!param) return kAudioUnitErr_InvalidElement;
  *info = AudioUnitParameterInfo();
  info->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                kAudioUnitParameterFlag_CFNameRelease;
  if (param->GetCanAutomate()) info->flags |= kAudioUnitParameterFlag_IsWritable;
  if (param->GetIsMeta()) info->flags |= kAudioUnitParameterFlag_IsElementMeta;
  Kit_CopyCut(info->name, sizeof info->name, param->GetNameForHost());
  info->cfNameString = NewString(param->GetNameForHost());
  switch (param->Type()) {
    case IParam::kTypeInt:
    case IParam::kTypeEnum: info->unit = kAudioUnitParameterUnit_Indexed; break;
    case IParam::kTypeBool: info->unit = kAudioUnitParameterUnit_Boolean; break;
    default: {
      const char* label = param->GetLabelForHost();
      if (label && *label) {
        info->unit = kAudioUnitParameterUnit_CustomUnit;
        info->unitName = NewString(label);
      } else {
        info->unit = kAudioUnitParameterUnit_Generic;
      }
    }
  }
  double minValue = 0, maxValue = 0;
  param->GetBounds(&minValue, &maxValue);
  info->minValue = AudioUnitParameterValue(minValue);
  info->maxValue = AudioUnitParameterValue(maxValue);
  info->defaultValue = AudioUnitParameterValue(param->Value());
  const char* group = param->GetParamGroupForHost();
  if (group && *group) {
    info->clumpID = UInt32(ClumpIDForGroup(group));
    info->flags |= kAudioUnitParameterFlag_HasClump;
  }
  return noErr;
}

// ---- GetProperty ------------------------------------------------------------

namespace {

// What a property getter is asked: where, and the reply to fill.
struct GetRequest {
  AudioUnitScope scope;
  AudioUnitElement element;
  Reply reply;

  bool Global() const { return scope == kAudioUnitScope_Global; }
  void* Data() const { return reply.data; }
};

}  // namespace

// One getter per property; a friend, so the wrapper's header lists none of them.
struct AUPropertyGetters {
  using Getter = OSStatus (*)(IModuleAU& plug, const GetRequest& q);

  static OSStatus ClassInfo(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(CFPropertyListRef), true)) return r;
    return q.Data() ? plug.GetState(static_cast<CFPropertyListRef*>(q.Data())) : noErr;
  }

  static OSStatus MakeConnection(IModuleAU&, const GetRequest& q) {
    if (!q.Global() && q.scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    return q.reply.Fit(sizeof(AudioUnitConnection), true);
  }

  static OSStatus SampleRate(IModuleAU& plug, const GetRequest& q) {
    return q.reply.Give(Float64(plug.GetSampleRate()), true);
  }

  static OSStatus ParameterList(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return q.reply.Fit(0, false);
    const int nAutomated = plug.NAutomatedParams();
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterID) * size_t(std::max(nAutomated, 0)), false)) return r;
    if (q.Data()) {
      auto* ids = static_cast<AudioUnitParameterID*>(q.Data());
      for (int i = 0; i < nAutomated; ++i) ids[i] = AudioUnitParameterID(i);
    }
    return noErr;
  }

  static OSStatus ParameterInfo(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    if (q.element >= UInt32(std::max(plug.NAutomatedParams(), 0))) return kAudioUnitErr_InvalidElement;
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterInfo), false)) return r;
    if (!q.Data()) return noErr;
    AudioUnitParameterInfo info;
    OSStatus r = plug.GetParameterInfo(int(q.element), &info);
    if (r == noErr) std::memcpy(q.Data(), &info, sizeof info);
    return r;
  }

  static OSStatus FastDispatch(IModuleAU& plug, const GetRequest& q) {
    if (q.element != kAudioUnitRenderSelect && q.element != kAudioUnitSetParameterSelect &&
        q.element != kAudioUnitGetParameterSelect)
      return kAudioUnitErr_InvalidElement;
    if (OSStatus r = q.reply.Fit(sizeof(void*), false)) return r;
    return plug.GetProc(q.element, q.reply.size, q.Data());
  }

  static OSStatus StreamFormat(IModuleAU& plug, const GetRequest& q) {
    IModuleAU::BusChannels* bus = plug.GetBus(q.scope, q.element);
    if (!bus) return kAudioUnitErr_InvalidProperty;
    AudioStreamBasicDescription format;
    const int channels = bus->mNHostChannels < 0 ? bus->mNPlugChannels : bus->mNHostChannels;
    IModuleAU::MakeDefaultASBD(&format, plug.GetSampleRate(), channels, false);
    return q.reply.Give(format, true);
  }

  static OSStatus ElementCount(IModuleAU& plug, const GetRequest& q) {
    UInt32 count = 0;
    if (q.Global()) count = 1;
    if (q.scope == kAudioUnitScope_Input) count = UInt32(plug.NInputBuses());
    if (q.scope == kAudioUnitScope_Output) count = UInt32(plug.NOutputBuses());
    return q.reply.Give(count, false);
  }

  // Latency and tail time alike.
  static OSStatus LatencySeconds(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    const double rate = plug.GetSampleRate();
    return q.reply.Give(Float64(rate > 0 ? plug.GetLatency() / rate : 0.0), false);
  }

  static OSStatus SupportedNumChannels(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    const int n = plug.NChannelIO();
    if (OSStatus r = q.reply.Fit(sizeof(AUChannelInfo) * size_t(n), false)) return r;
    if (q.Data()) {
      auto* pairs = static_cast<AUChannelInfo*>(q.Data());
      for (int i = 0; i < n; ++i) {
        int nIn = 0, nOut = 0;
        plug.GetChannelIO(i, &nIn, &nOut);
        pairs[i] = {SInt16(nIn), SInt16(nOut)};
      }
    }
    return noErr;
  }

  static OSStatus MaximumFramesPerSlice(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    return q.reply.Give(UInt32(plug.GetBlockSize()), true);
  }

  static OSStatus ParameterValueStrings(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    if (q.element >= UInt32(std::max(plug.NAutomatedParams(), 0))) return kAudioUnitErr_InvalidElement;
    IParam* param = plug.GetParam(int(q.element));
    const int n = param ? param->GetNDisplayTexts() : 0;
    if (n == 0) {
      *q.reply.size = 0;
      return kAudioUnitErr_InvalidProperty;
    }
    if (OSStatus r = q.reply.Fit(sizeof(CFArrayRef), false)) return r;
    if (q.Data()) {
      CFMutableArrayRef texts = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
      for (int i = 0; i < n; ++i) {
        CFStringRef text = NewString(param->GetDisplayTextAtIdx(i).c_str());
        CFArrayAppendValue(texts, text);
        CFRelease(text);
      }
      CFArrayRef answer = texts;
      std::memcpy(q.Data(), &answer, sizeof answer);
    }
    return noErr;
  }

  static OSStatus GetUIComponentList(IModuleAU& plug, const GetRequest& q) {
    if (!plug.GetGraphics()) return kAudioUnitErr_InvalidProperty;
    ComponentDescription view{kAudioUnitCarbonViewComponentType, OSType(plug.GetUniqueID()), OSType(plug.GetMfrID()), 0,
                              0};
    return q.reply.Give(view, false);
  }

  static OSStatus AudioChannelLayout(IModuleAU&, const GetRequest&) { return kAudioUnitErr_InvalidPropertyValue; }

  static OSStatus BypassEffect(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    return q.reply.Give(UInt32(plug.IsBypassed() ? 1 : 0), true);
  }

  static OSStatus LastRenderError(IModuleAU&, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    return q.reply.Give(OSStatus(noErr), false);
  }

  static OSStatus SetRenderCallback(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global() && q.scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    if (q.element >= UInt32(plug.NInputBuses())) return kAudioUnitErr_InvalidProperty;
    return q.reply.Fit(sizeof(AURenderCallbackStruct), true);
  }

  static OSStatus FactoryPresets(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(CFArrayRef), false)) return r;
    if (!q.Data()) return noErr;
    CFMutableArrayRef presets = CFArrayCreateMutable(kCFAllocatorDefault, plug.NPresets(), &kCFAUPresetArrayCallBacks);
    if (!presets) return coreFoundationUnknownErr;
    for (int i = 0; i < plug.NPresets(); ++i) {
      CFStringRef name = NewString(plug.GetPresetName(i));
      CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
      CFRelease(name);
      if (!preset) continue;
      CFArrayAppendValue(presets, preset);
      CFAUPresetRelease(preset);
    }
    CFArrayRef answer = presets;
    std::memcpy(q.Data(), &answer, sizeof answer);
    return noErr;
  }

  static OSStatus HostCallbacks(IModuleAU&, const GetRequest& q) {
    if (!q.Global()) return kAudioUnitErr_InvalidProperty;
    return q.reply.Fit(sizeof(HostCallbackInfo), true);
  }

  // Current and present preset alike.
  static OSStatus Preset(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(AUPreset), true)) return r;
    if (q.Data()) {
      const int idx = plug.GetCurrentPresetIdx();
      AUPreset preset{SInt32(idx), NewString(plug.GetPresetName(idx))};
      std::memcpy(q.Data(), &preset, sizeof preset);
    }
    return noErr;
  }

  static OSStatus ElementName(IModuleAU& plug, const GetRequest& q) {
    *q.reply.size = sizeof(CFStringRef);
    *q.reply.writable = false;
    if (!q.Data()) return kAudioUnitErr_InvalidProperty;
    if (q.reply.room < sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
    const char* label = nullptr;
    if (q.scope == kAudioUnitScope_Output) {
      if (q.element >= UInt32(plug.NOutputBuses())) return kAudioUnitErr_InvalidElement;
      label = plug.GetOutputBusLabel(int(q.element));
    } else if (q.scope == kAudioUnitScope_Input) {
      if (q.element > 1) return kAudioUnitErr_InvalidElement;
      label = plug.GetInputBusLabel(int(q.element));
    } else {
      return kAudioUnitErr_InvalidScope;
    }
    CFStringRef name = NewString(label);
    std::memcpy(q.Data(), &name, sizeof name);
    return noErr;
  }

  static OSStatus CocoaUI(IModuleAU& plug, const GetRequest& q) {
    constexpr int kFirstCocoaViewSystem = 0x1050;  // 10.5.0
    if (!plug.GetGraphics() || GetUserOSVersion() < kFirstCocoaViewSystem) return kAudioUnitErr_InvalidProperty;
    CFStringRef id = NewString(plug.GetBundleID());
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
    CFRelease(id);
    if (!bundle) return kAudioUnitErr_InvalidProperty;
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitCocoaViewInfo), false)) return r;
    if (q.Data()) {
      AudioUnitCocoaViewInfo info{CFBundleCopyBundleURL(bundle), {NewString(plug.GetCocoaViewFactoryClassName())}};
      std::memcpy(q.Data(), &info, sizeof info);
    }
    return noErr;
  }

  static OSStatus SupportedChannelLayoutTags(IModuleAU& plug, const GetRequest& q) {
    if (!plug.IsInst() || plug.NOutputBuses() == 1) return kAudioUnitErr_InvalidProperty;
    if (!plug.GetChannelLayoutTags(q.scope, q.element, nullptr)) return kAudioUnitErr_InvalidProperty;
    if (!plug.GetBus(kAudioUnitScope_Output, q.element)) return kAudioUnitErr_InvalidElement;
    UInt32 tag = 0;
    plug.GetChannelLayoutTags(q.scope, q.element, &tag);
    return q.reply.Give(tag, true);
  }

  static OSStatus ParameterStringFromValue(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterStringFromValue), false)) return r;
    if (!q.Data() || !q.Global()) return noErr;
    auto* request = static_cast<AudioUnitParameterStringFromValue*>(q.Data());
    IParam* param = plug.GetParam(int(std::min<UInt32>(request->inParamID, INT32_MAX)));
    if (!param) return kAudioUnitErr_InvalidParameter;
    if (!request->inValue) return kAudioUnitErr_InvalidPropertyValue;
    param->GetDisplayForHost(*request->inValue, false, plug.mParamValueString, sizeof plug.mParamValueString, true);
    request->outString = NewString(plug.mParamValueString);
    return noErr;
  }

  static OSStatus ParameterIDName(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterIDName), false)) return r;
    if (!q.Data() || !q.Global()) return noErr;
    auto* request = static_cast<AudioUnitParameterIDName*>(q.Data());
    IParam* param = plug.GetParam(int(std::min<UInt32>(request->inID, INT32_MAX)));
    if (!param) return kAudioUnitErr_InvalidParameter;
    char name[55];
    Kit_CopyCut(name, sizeof name, param->GetNameForHost());
    if (request->inDesiredLength >= 0 && request->inDesiredLength < SInt32(std::strlen(name)))
      Kit_CopyCut(name, size_t(request->inDesiredLength) + 1, param->GetNameForHost());
    request->outName = NewString(name);
    return noErr;
  }

  static OSStatus ParameterClumpName(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterNameInfo), false)) return r;
    if (!q.Data() || !q.Global()) return noErr;
    auto* request = static_cast<AudioUnitParameterNameInfo*>(q.Data());
    Kit_PtrList<Kit_String>& groups = plug.GetParamGroups();
    if (request->inID == 0 || request->inID > UInt32(groups.GetSize())) return kAudioUnitErr_PropertyNotInUse;
    request->outName = NewString(groups.Get(int(request->inID) - 1)->Get());
    return noErr;
  }

  static OSStatus ParameterValueFromString(IModuleAU& plug, const GetRequest& q) {
    if (OSStatus r = q.reply.Fit(sizeof(AudioUnitParameterValueFromString), false)) return r;
    if (!q.Data() || !q.Global()) return noErr;
    auto* request = static_cast<AudioUnitParameterValueFromString*>(q.Data());
    IParam* param = plug.GetParam(int(std::min<UInt32>(request->inParamID, INT32_MAX)));
    if (!param) return kAudioUnitErr_InvalidParameter;
    const char* text = HostText(request->inString);
    if (!text) return kAudioUnitErr_InvalidPropertyValue;
    if (param->GetNDisplayTexts() > 0) {
      int value = 0;
      if (param->MapDisplayText(text, &value)) request->outValue = AudioUnitParameterValue(value);
    } else {
      double value = std::strtod(text, nullptr);
      request->outValue = AudioUnitParameterValue(param->GetNegateDisplay() ? -value : value);
    }
    return noErr;
  }

  static OSStatus InstrumentCount(IModuleAU& plug, const GetRequest& q) {
    if (!q.Global() || !plug.IsInst()) return kAudioUnitErr_InvalidProperty;
    return q.reply.Give(UInt32(1), false);
  }

  static Getter Find(AudioUnitPropertyID propID) {
    static const struct {
      AudioUnitPropertyID propID;
      Getter get;
    } kGetters[] = {
        {kAudioUnitProperty_ClassInfo, ClassInfo},
        {kAudioUnitProperty_MakeConnection, MakeConnection},
        {kAudioUnitProperty_SampleRate, SampleRate},
        {kAudioUnitProperty_ParameterList, ParameterList},
        {kAudioUnitProperty_ParameterInfo, ParameterInfo},
        {kAudioUnitProperty_FastDispatch, FastDispatch},
        {kAudioUnitProperty_StreamFormat, StreamFormat},
        {kAudioUnitProperty_ElementCount, ElementCount},
        {kAudioUnitProperty_Latency, LatencySeconds},
        {kAudioUnitProperty_TailTime, LatencySeconds},
        {kAudioUnitProperty_SupportedNumChannels, SupportedNumChannels},
        {kAudioUnitProperty_MaximumFramesPerSlice, MaximumFramesPerSlice},
        {kAudioUnitProperty_ParameterValueStrings, ParameterValueStrings},
        {kAudioUnitProperty_GetUIComponentList, GetUIComponentList},
        {kAudioUnitProperty_AudioChannelLayout, AudioChannelLayout},
        {kAudioUnitProperty_BypassEffect, BypassEffect},
        {kAudioUnitProperty_LastRenderError, LastRenderError},
        {kAudioUnitProperty_SetRenderCallback, SetRenderCallback},
        {kAudioUnitProperty_FactoryPresets, FactoryPresets},
        {kAudioUnitProperty_HostCallbacks, HostCallbacks},
        {kAudioUnitProperty_CurrentPreset, Preset},
        {kAudioUnitProperty_PresentPreset, Preset},
        {kAudioUnitProperty_ElementName, ElementName},
        {kAudioUnitProperty_CocoaUI, CocoaUI},
        {kAudioUnitProperty_SupportedChannelLayoutTags, SupportedChannelLayoutTags},
        {kAudioUnitProperty_ParameterStringFromValue, ParameterStringFromValue},
        {kAudioUnitProperty_ParameterIDName, ParameterIDName},
        {kAudioUnitProperty_ParameterClumpName, ParameterClumpName},
        {kAudioUnitProperty_ParameterValueFromString, ParameterValueFromString},
        {kMusicDeviceProperty_InstrumentCount, InstrumentCount},
    };
    for (const auto& entry : kGetters)
      if (entry.propID == propID) return entry.get;
    return nullptr;
  }
};

OSStatus IModuleAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                UInt32* size, Boolean* writable, void* data) {
  UInt32 localSize = 0;
  Boolean localWritable = false;
  if (!size) size = &localSize;
  if (!writable) writable = &localWritable;
  AUPropertyGetters::Getter get = AUPropertyGetters::Find(propID);
  if (!get) return kAudioUnitErr_InvalidProperty;
  return get(*this, {scope, element, Reply{size, writable, data, data ? *size : 0}});
}
// ---- SetProperty ------------------------------------------------------------

void IModuleAU::CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope) {
  // A listener may add or remove listeners: walk a copy.
  const std::vector<ListenerEntry> listeners = mPropertyListeners;
  for (const ListenerEntry& e : listeners)
    if (e.mPropID == propID) e.mListenerProc(e.mProcArgs, mCI, propID, scope, 0);
}

OSStatus IModuleAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const AudioStreamBasicDescription& format) {
  BusChannels* bus = GetBus(scope, element);
  if (!bus) return kAudioUnitErr_InvalidProperty;
  bus->mNHostChannels = 0;
  const int channels = int(std::min<UInt32>(format.mChannelsPerFrame, INT32_MAX));
  // A rate of 0 leaves the rate as it is.
  const bool accepted = channels > 0 && CheckLegalIO(scope, int(element), channels) &&
                        format.mFormatID == kAudioFormatLinearPCM &&
                        (format.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0 &&
                        (format.mSampleRate == 0 || IsUsableSampleRate(format.mSampleRate));
  if (accepted) {
    bus->mNHostChannels = channels;
    if (format.mSampleRate > 0) SetSampleRate(format.mSampleRate);
  }
  AssessInputConnections();
  return accepted ? noErr : kAudioUnitErr_InvalidProperty;
}

OSStatus IModuleAU::MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection) {
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
  if (connection.destInputNumber >= mInputs.size()) return kAudioUnitErr_InvalidProperty;
  InputConnection& input = mInputs[connection.destInputNumber];
  input = InputConnection();
  bool connected = true;
  if (AudioUnit source = connection.sourceAudioUnit) {
    AudioStreamBasicDescription format;
    UInt32 size = sizeof format;
    connected = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                     connection.sourceOutputNumber, &format, &size) == noErr &&
                SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, connection.destInputNumber,
                            sizeof format, &format) == noErr;
    if (connected) {
      input.mUpstreamUnit = source;
      input.mUpstreamBusIdx = int(connection.sourceOutputNumber);
      AudioUnitRenderProc render = nullptr;
      size = sizeof render;
      if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                               &render, &size) == noErr) {
        input.mUpstreamRenderProc = render;
        input.mUpstreamObj = GetComponentInstanceStorage(source);
      }
    }
  }
  AssessInputConnections();
  return connected ? noErr : kAudioUnitErr_InvalidProperty;
}

namespace {

// The value the host passed, or null when it gave less than a whole T.
template <typename T>
const T* Given(const void* data, UInt32 size) {
  return (data && size >= sizeof(T)) ? static_cast<const T*>(data) : nullptr;
}

// What a property setter is given.
struct SetRequest {
  AudioUnitScope scope;
  AudioUnitElement element;
  UInt32 size;
  const void* data;

  template <typename T>
  const T* Value() const {
    return Given<T>(data, size);
  }
};

constexpr OSStatus kBadValue = kAudioUnitErr_InvalidPropertyValue;

}  // namespace

// One setter per property; a friend, so the wrapper's header lists none of them.
struct AUPropertySetters {
  using Setter = OSStatus (*)(IModuleAU& plug, const SetRequest& q);

  static OSStatus ClassInfo(IModuleAU& plug, const SetRequest& q) {
    const auto* state = q.Value<CFPropertyListRef>();
    return state ? plug.SetState(*state) : kBadValue;
  }

  static OSStatus MakeConnection(IModuleAU& plug, const SetRequest& q) {
    const auto* connection = q.Value<AudioUnitConnection>();
    return connection ? plug.MakeConnection(q.scope, *connection) : kBadValue;
  }

  static OSStatus SampleRate(IModuleAU& plug, const SetRequest& q) {
    const auto* rate = q.Value<Float64>();
    if (!rate || !IModuleAU::IsUsableSampleRate(*rate)) return kBadValue;
    plug.SetSampleRate(*rate);
    plug.Reset();
    return noErr;
  }

  static OSStatus StreamFormat(IModuleAU& plug, const SetRequest& q) {
    const auto* format = q.Value<AudioStreamBasicDescription>();
    if (!plug.GetBus(q.scope, q.element)) return kAudioUnitErr_InvalidProperty;
    return format ? plug.SetStreamFormat(q.scope, q.element, *format) : kBadValue;
  }

  static OSStatus MaximumFramesPerSlice(IModuleAU& plug, const SetRequest& q) {
    const auto* frames = q.Value<UInt32>();
    if (!frames || *frames == 0 || *frames > UInt32(IModuleAU::kMaxBlockSize)) return kBadValue;
    plug.SetBlockSize(int(*frames));
    plug.Reset();
    return noErr;
  }

  static OSStatus BypassEffect(IModuleAU& plug, const SetRequest& q) {
    const auto* bypass = q.Value<UInt32>();
    if (!bypass) return kBadValue;
    plug.SetBypassed(*bypass != 0);
    plug.OnActivate(*bypass == 0);
    plug.Reset();
    return noErr;
  }

  static OSStatus SetRenderCallback(IModuleAU& plug, const SetRequest& q) {
    if (q.scope != kAudioUnitScope_Input || q.element >= plug.mInputs.size()) return kAudioUnitErr_InvalidProperty;
    const auto* callback = q.Value<AURenderCallbackStruct>();
    if (!callback) return kBadValue;
    IModuleAU::InputConnection& input = plug.mInputs[q.element];
    input = IModuleAU::InputConnection();
    if (callback->inputProc) input.mCallbackInfo = *callback;
    plug.AssessInputConnections();
    return noErr;
  }

  static OSStatus HostCallbacks(IModuleAU& plug, const SetRequest& q) {
    if (q.scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    // Older hosts pass fewer procedures: take what was given, the rest stays null.
    if (!q.data || q.size < sizeof(void*)) return kBadValue;
    HostCallbackInfo callbacks = {};
    std::memcpy(&callbacks, q.data, std::min<size_t>(q.size, sizeof callbacks));
    plug.mHostCallbacks = callbacks;
    return noErr;
  }

  // Current and present preset alike.
  static OSStatus Preset(IModuleAU& plug, const SetRequest& q) {
    const auto* preset = q.Value<AUPreset>();
    if (!preset) return kBadValue;
    plug.RestorePreset(int(preset->presetNumber));
    return noErr;
  }

  static OSStatus OfflineRender(IModuleAU& plug, const SetRequest& q) {
    const auto* offline = q.Value<UInt32>();
    if (!offline) return kBadValue;
    plug.mIsOffline = *offline != 0;
    return noErr;
  }

  static OSStatus AUHostIdentifier(IModuleAU& plug, const SetRequest& q) {
    const auto* host = q.Value<::AUHostIdentifier>();
    if (!host) return kBadValue;
    const char* name = host->hostName ? HostText(host->hostName) : "";
    if (!name) return kBadValue;
    const int minorAndBug = host->hostVersion.minorAndBugRev;
    const int version = (minorAndBug & 0x0F) | (int(host->hostVersion.majorRev) << 16) | ((minorAndBug & 0xF0) << 4);
    plug.SetHost(name, version);
    plug.OnHostIdentified();
    return noErr;
  }

  static Setter Find(AudioUnitPropertyID propID) {
    static const struct {
      AudioUnitPropertyID propID;
      Setter set;
    } kSetters[] = {
        {kAudioUnitProperty_ClassInfo, ClassInfo},
        {kAudioUnitProperty_MakeConnection, MakeConnection},
        {kAudioUnitProperty_SampleRate, SampleRate},
        {kAudioUnitProperty_StreamFormat, StreamFormat},
        {kAudioUnitProperty_MaximumFramesPerSlice, MaximumFramesPerSlice},
        {kAudioUnitProperty_BypassEffect, BypassEffect},
        {kAudioUnitProperty_SetRenderCallback, SetRenderCallback},
        {kAudioUnitProperty_HostCallbacks, HostCallbacks},
        {kAudioUnitProperty_CurrentPreset, Preset},
        {kAudioUnitProperty_PresentPreset, Preset},
        {kAudioUnitProperty_OfflineRender, OfflineRender},
        {kAudioUnitProperty_AUHostIdentifier, AUHostIdentifier},
    };
    for (const auto& entry : kSetters)
      if (entry.propID == propID) return entry.set;
    return nullptr;
  }
};

OSStatus IModuleAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element, UInt32 size,
                                const void* data) {
  CallPropertyListeners(propID, scope);
  AUPropertySetters::Setter set = AUPropertySetters::Find(propID);
  return set ? set(*this, {scope, element, size, data}) : kAudioUnitErr_InvalidProperty;
}

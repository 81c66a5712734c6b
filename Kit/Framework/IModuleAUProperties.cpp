// Audio Unit properties and the fast-dispatch parameter procedures.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "AUDictionary.h"
#include "CFAUPreset.h"
#include "IGraphics.h"
#include "IModuleAU.h"

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

// Copies text into a fixed field, cut at the field's width on a character boundary.
void CopyCut(char* field, size_t fieldSize, const char* text) {
  size_t n = std::min(std::strlen(text ? text : ""), fieldSize - 1);
  while (n > 0 && n < std::strlen(text) && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(field, text ? text : "", n);
  field[n] = 0;
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
  // The panel shows the value as given; the parameter keeps it clamped. The
  // panel stores plain values into the parameter too, so it is told first.
  if (IModulePanel* panel = plug->GetGUI()) panel->SetParameterFromPlug(idx, value, false);
  param->Set(std::clamp(double(value), param->GetMin(), param->GetMax()));
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
  CopyCut(info->name, sizeof info->name, param->GetNameForHost());
  info->cfNameString = NewString(param->GetNameForHost());
  switch (param->Type()) {
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      info->unit = kAudioUnitParameterUnit_Indexed;
      break;
    case IParam::kTypeBool:
      info->unit = kAudioUnitParameterUnit_Boolean;
      break;
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

OSStatus IModuleAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                UInt32* size, Boolean* writable, void* data) {
  UInt32 localSize = 0;
  Boolean localWritable = false;
  if (!size) size = &localSize;
  if (!writable) writable = &localWritable;
  const Reply reply{size, writable, data, data ? *size : 0};
  const bool global = scope == kAudioUnitScope_Global;
  const int nAutomated = NAutomatedParams();

  switch (propID) {
    case kAudioUnitProperty_ClassInfo: {
      if (OSStatus r = reply.Fit(sizeof(CFPropertyListRef), true)) return r;
      return data ? GetState(static_cast<CFPropertyListRef*>(data)) : noErr;
    }
    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      return reply.Fit(sizeof(AudioUnitConnection), true);
    case kAudioUnitProperty_SampleRate:
      return reply.Give(Float64(GetSampleRate()), true);
    case kAudioUnitProperty_ParameterList: {
      if (!global) return reply.Fit(0, false);
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterID) * size_t(std::max(nAutomated, 0)), false)) return r;
      if (data) {
        auto* ids = static_cast<AudioUnitParameterID*>(data);
        for (int i = 0; i < nAutomated; ++i) ids[i] = AudioUnitParameterID(i);
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= UInt32(std::max(nAutomated, 0))) return kAudioUnitErr_InvalidElement;
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterInfo), false)) return r;
      if (!data) return noErr;
      AudioUnitParameterInfo info;
      OSStatus r = GetParameterInfo(int(element), &info);
      if (r == noErr) std::memcpy(data, &info, sizeof info);
      return r;
    }
    case kAudioUnitProperty_FastDispatch: {
      if (element != kAudioUnitRenderSelect && element != kAudioUnitSetParameterSelect &&
          element != kAudioUnitGetParameterSelect)
        return kAudioUnitErr_InvalidElement;
      if (OSStatus r = reply.Fit(sizeof(void*), false)) return r;
      return GetProc(element, size, data);
    }
    case kAudioUnitProperty_StreamFormat: {
      BusChannels* bus = GetBus(scope, element);
      if (!bus) return kAudioUnitErr_InvalidProperty;
      AudioStreamBasicDescription format;
      const int channels = bus->mNHostChannels < 0 ? bus->mNPlugChannels : bus->mNHostChannels;
      MakeDefaultASBD(&format, GetSampleRate(), channels, false);
      return reply.Give(format, true);
    }
    case kAudioUnitProperty_ElementCount: {
      UInt32 count = 0;
      if (global) count = 1;
      if (scope == kAudioUnitScope_Input) count = UInt32(NInputBuses());
      if (scope == kAudioUnitScope_Output) count = UInt32(NOutputBuses());
      return reply.Give(count, false);
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const double rate = GetSampleRate();
      return reply.Give(Float64(rate > 0 ? GetLatency() / rate : 0.0), false);
    }
    case kAudioUnitProperty_SupportedNumChannels: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      const int n = NChannelIO();
      if (OSStatus r = reply.Fit(sizeof(AUChannelInfo) * size_t(n), false)) return r;
      if (data) {
        auto* pairs = static_cast<AUChannelInfo*>(data);
        for (int i = 0; i < n; ++i) {
          int nIn = 0, nOut = 0;
          GetChannelIO(i, &nIn, &nOut);
          pairs[i] = {SInt16(nIn), SInt16(nOut)};
        }
      }
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global) return kAudioUnitErr_InvalidProperty;
      return reply.Give(UInt32(GetBlockSize()), true);
    case kAudioUnitProperty_ParameterValueStrings: {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= UInt32(std::max(nAutomated, 0))) return kAudioUnitErr_InvalidElement;
      IParam* param = GetParam(int(element));
      const int n = param ? param->GetNDisplayTexts() : 0;
      if (n == 0) {
        *size = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      if (OSStatus r = reply.Fit(sizeof(CFArrayRef), false)) return r;
      if (data) {
        CFMutableArrayRef texts = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
        for (int i = 0; i < n; ++i) {
          CFStringRef text = NewString(param->GetDisplayTextAtIdx(i).c_str());
          CFArrayAppendValue(texts, text);
          CFRelease(text);
        }
        CFArrayRef answer = texts;
        std::memcpy(data, &answer, sizeof answer);
      }
      return noErr;
    }
    case kAudioUnitProperty_GetUIComponentList: {
      if (!GetGraphics()) return kAudioUnitErr_InvalidProperty;
      ComponentDescription view{kAudioUnitCarbonViewComponentType, OSType(GetUniqueID()), OSType(GetMfrID()), 0, 0};
      return reply.Give(view, false);
    }
    case kAudioUnitProperty_AudioChannelLayout:
      return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_BypassEffect:
      if (!global) return kAudioUnitErr_InvalidProperty;
      return reply.Give(UInt32(IsBypassed() ? 1 : 0), true);
    case kAudioUnitProperty_LastRenderError:
      if (!global) return kAudioUnitErr_InvalidProperty;
      return reply.Give(OSStatus(noErr), false);
    case kAudioUnitProperty_SetRenderCallback:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      if (element >= UInt32(NInputBuses())) return kAudioUnitErr_InvalidProperty;
      return reply.Fit(sizeof(AURenderCallbackStruct), true);
    case kAudioUnitProperty_FactoryPresets: {
      if (OSStatus r = reply.Fit(sizeof(CFArrayRef), false)) return r;
      if (!data) return noErr;
      CFMutableArrayRef presets = CFArrayCreateMutable(kCFAllocatorDefault, NPresets(), &kCFAUPresetArrayCallBacks);
      if (!presets) return coreFoundationUnknownErr;
      for (int i = 0; i < NPresets(); ++i) {
        CFStringRef name = NewString(GetPresetName(i));
        CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
        CFRelease(name);
        if (!preset) continue;
        CFArrayAppendValue(presets, preset);
        CFAUPresetRelease(preset);
      }
      CFArrayRef answer = presets;
      std::memcpy(data, &answer, sizeof answer);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
      if (!global) return kAudioUnitErr_InvalidProperty;
      return reply.Fit(sizeof(HostCallbackInfo), true);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      if (OSStatus r = reply.Fit(sizeof(AUPreset), true)) return r;
      if (data) {
        const int idx = GetCurrentPresetIdx();
        AUPreset preset{SInt32(idx), NewString(GetPresetName(idx))};
        std::memcpy(data, &preset, sizeof preset);
      }
      return noErr;
    }
    case kAudioUnitProperty_ElementName: {
      *size = sizeof(CFStringRef);
      *writable = false;
      if (!data) return kAudioUnitErr_InvalidProperty;
      if (reply.room < sizeof(CFStringRef)) return kAudioUnitErr_InvalidPropertyValue;
      const char* label = nullptr;
      if (scope == kAudioUnitScope_Output) {
        if (element >= UInt32(NOutputBuses())) return kAudioUnitErr_InvalidElement;
        label = GetOutputBusLabel(int(element));
      } else if (scope == kAudioUnitScope_Input) {
        if (element > 1) return kAudioUnitErr_InvalidElement;
        label = GetInputBusLabel(int(element));
      } else {
        return kAudioUnitErr_InvalidScope;
      }
      CFStringRef name = NewString(label);
      std::memcpy(data, &name, sizeof name);
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI: {
      if (!GetGraphics()) return kAudioUnitErr_InvalidProperty;
      CFStringRef id = NewString(GetBundleID());
      CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
      CFRelease(id);
      if (!bundle) return kAudioUnitErr_InvalidProperty;
      if (OSStatus r = reply.Fit(sizeof(AudioUnitCocoaViewInfo), false)) return r;
      if (data) {
        AudioUnitCocoaViewInfo info{CFBundleCopyBundleURL(bundle), {NewString(GetCocoaViewFactoryClassName())}};
        std::memcpy(data, &info, sizeof info);
      }
      return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
      if (!IsInst() || NOutputBuses() == 1) return kAudioUnitErr_InvalidProperty;
      if (!GetChannelLayoutTags(scope, element, nullptr)) return kAudioUnitErr_InvalidProperty;
      if (!GetBus(kAudioUnitScope_Output, element)) return kAudioUnitErr_InvalidElement;
      UInt32 tag = 0;
      GetChannelLayoutTags(scope, element, &tag);
      return reply.Give(tag, true);
    }
    case kAudioUnitProperty_ParameterStringFromValue: {
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterStringFromValue), false)) return r;
      if (!data || !global) return noErr;
      auto* request = static_cast<AudioUnitParameterStringFromValue*>(data);
      IParam* param = GetParam(int(std::min<UInt32>(request->inParamID, INT32_MAX)));
      if (!param) return kAudioUnitErr_InvalidParameter;
      if (!request->inValue) return kAudioUnitErr_InvalidPropertyValue;
      param->GetDisplayForHost(*request->inValue, false, mParamValueString, sizeof mParamValueString, true);
      request->outString = NewString(mParamValueString);
      return noErr;
    }
    case kAudioUnitProperty_ParameterIDName: {
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterIDName), false)) return r;
      if (!data || !global) return noErr;
      auto* request = static_cast<AudioUnitParameterIDName*>(data);
      IParam* param = GetParam(int(std::min<UInt32>(request->inID, INT32_MAX)));
      if (!param) return kAudioUnitErr_InvalidParameter;
      char name[55];
      CopyCut(name, sizeof name, param->GetNameForHost());
      if (request->inDesiredLength >= 0 && request->inDesiredLength < SInt32(std::strlen(name)))
        CopyCut(name, size_t(request->inDesiredLength) + 1, param->GetNameForHost());
      request->outName = NewString(name);
      return noErr;
    }
    case kAudioUnitProperty_ParameterClumpName: {
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterNameInfo), false)) return r;
      if (!data || !global) return noErr;
      auto* request = static_cast<AudioUnitParameterNameInfo*>(data);
      Kit_PtrList<Kit_String>& groups = GetParamGroups();
      if (request->inID == 0 || request->inID > UInt32(groups.GetSize())) return kAudioUnitErr_PropertyNotInUse;
      request->outName = NewString(groups.Get(int(request->inID) - 1)->Get());
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString: {
      if (OSStatus r = reply.Fit(sizeof(AudioUnitParameterValueFromString), false)) return r;
      if (!data || !global) return noErr;
      auto* request = static_cast<AudioUnitParameterValueFromString*>(data);
      IParam* param = GetParam(int(std::min<UInt32>(request->inParamID, INT32_MAX)));
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
    case kMusicDeviceProperty_InstrumentCount:
      if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
      return reply.Give(UInt32(1), false);
    default:
      return kAudioUnitErr_InvalidProperty;
  }
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
  const bool accepted = channels > 0 && CheckLegalIO(scope, int(element), channels) &&
                        format.mFormatID == kAudioFormatLinearPCM &&
                        (format.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
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
      if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &render, &size) == noErr) {
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

}  // namespace

OSStatus IModuleAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                UInt32 size, const void* data) {
  CallPropertyListeners(propID, scope);
  if (propID > kAudioUnitProperty_AUHostIdentifier) return kAudioUnitErr_InvalidProperty;
  const OSStatus badValue = kAudioUnitErr_InvalidPropertyValue;

  switch (propID) {
    case kAudioUnitProperty_ClassInfo: {
      const auto* state = Given<CFPropertyListRef>(data, size);
      return state ? SetState(*state) : badValue;
    }
    case kAudioUnitProperty_MakeConnection: {
      const auto* connection = Given<AudioUnitConnection>(data, size);
      return connection ? MakeConnection(scope, *connection) : badValue;
    }
    case kAudioUnitProperty_SampleRate: {
      const auto* rate = Given<Float64>(data, size);
      if (!rate) return badValue;
      SetSampleRate(*rate);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat: {
      const auto* format = Given<AudioStreamBasicDescription>(data, size);
      if (!GetBus(scope, element)) return kAudioUnitErr_InvalidProperty;
      return format ? SetStreamFormat(scope, element, *format) : badValue;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      const auto* frames = Given<UInt32>(data, size);
      if (!frames || *frames == 0 || *frames > UInt32(kMaxBlockSize)) return badValue;
      SetBlockSize(int(*frames));
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect: {
      const auto* bypass = Given<UInt32>(data, size);
      if (!bypass) return badValue;
      SetBypassed(*bypass != 0);
      OnActivate(*bypass == 0);
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback: {
      if (scope != kAudioUnitScope_Input || element >= mInputs.size()) return kAudioUnitErr_InvalidProperty;
      const auto* callback = Given<AURenderCallbackStruct>(data, size);
      if (!callback) return badValue;
      InputConnection& input = mInputs[element];
      input = InputConnection();
      if (callback->inputProc) input.mCallbackInfo = *callback;
      AssessInputConnections();
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: {
      if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
      // Older hosts pass fewer procedures: take what was given, the rest stays null.
      if (!data || size < sizeof(void*)) return badValue;
      HostCallbackInfo callbacks = {};
      std::memcpy(&callbacks, data, std::min<size_t>(size, sizeof callbacks));
      mHostCallbacks = callbacks;
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: {
      const auto* preset = Given<AUPreset>(data, size);
      if (!preset) return badValue;
      RestorePreset(int(preset->presetNumber));
      return noErr;
    }
    case kAudioUnitProperty_OfflineRender: {
      const auto* offline = Given<UInt32>(data, size);
      if (!offline) return badValue;
      mIsOffline = *offline != 0;
      return noErr;
    }
    case kAudioUnitProperty_AUHostIdentifier: {
      const auto* host = Given<AUHostIdentifier>(data, size);
      if (!host) return badValue;
      const char* name = host->hostName ? HostText(host->hostName) : "";
      if (!name) return badValue;
      const int minorAndBug = host->hostVersion.minorAndBugRev;
      const int version = (minorAndBug & 0x0F) | (int(host->hostVersion.majorRev) << 16) | ((minorAndBug & 0xF0) << 4);
      SetHost(name, version);
      OnHostIdentified();
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

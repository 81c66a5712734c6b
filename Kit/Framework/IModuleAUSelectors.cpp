// The component selectors of an open Audio Unit instance, one function each.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Framework/IModuleAU.h"

namespace {

bool CanDo(SInt16 selector) {
  return (selector >= 1 && selector <= 7) || (selector >= 9 && selector <= 11) || (selector >= 14 && selector <= 17);
}

template <typename T>
T Arg(const ComponentParameters& p, int index) {
  return ComponentArgument<T>(p, index);
}

}  // namespace

// A friend, so the wrapper's header lists none of these.
struct AUSelectors {
  using Handler = OSStatus (*)(IModuleAU& plug, const ComponentParameters& p);

  static OSStatus Version(IModuleAU& plug, const ComponentParameters&) { return plug.GetEffectVersion(false); }

  static OSStatus CanDoSelector(IModuleAU&, const ComponentParameters& p) { return CanDo(Arg<SInt16>(p, 0)) ? 1 : 0; }

  static OSStatus Initialize(IModuleAU& plug, const ComponentParameters&) {
    if (!plug.CheckLegalIO()) return badComponentSelector;
    plug.mActive = true;
    plug.OnParamReset();
    plug.OnActivate(true);
    return noErr;
  }

  static OSStatus Uninitialize(IModuleAU& plug, const ComponentParameters&) {
    plug.mActive = false;
    plug.OnActivate(false);
    return noErr;
  }

  static OSStatus GetPropertyInfo(IModuleAU& plug, const ComponentParameters& p) {
    UInt32 localSize = 0;
    Boolean localWritable = false;
    auto* size = Arg<UInt32*>(p, 3);
    auto* writable = Arg<Boolean*>(p, 4);
    if (!size) size = &localSize;
    if (!writable) writable = &localWritable;
    *size = 0;
    *writable = false;
    return plug.GetProperty(Arg<AudioUnitPropertyID>(p, 0), Arg<AudioUnitScope>(p, 1), Arg<AudioUnitElement>(p, 2),
                            size, writable, nullptr);
  }

  static OSStatus GetProperty(IModuleAU& plug, const ComponentParameters& p) {
    UInt32 localSize = 0;
    Boolean writable = false;
    auto* data = Arg<void*>(p, 3);
    auto* size = Arg<UInt32*>(p, 4);
    if (!size) size = &localSize;
    return plug.GetProperty(Arg<AudioUnitPropertyID>(p, 0), Arg<AudioUnitScope>(p, 1), Arg<AudioUnitElement>(p, 2),
                            size, &writable, data);
  }

  static OSStatus SetProperty(IModuleAU& plug, const ComponentParameters& p) {
    return plug.SetProperty(Arg<AudioUnitPropertyID>(p, 0), Arg<AudioUnitScope>(p, 1), Arg<AudioUnitElement>(p, 2),
                            Arg<UInt32>(p, 4), Arg<const void*>(p, 3));
  }

  static OSStatus GetParameter(IModuleAU& plug, const ComponentParameters& p) {
    return IModuleAU::GetParamProc(&plug, Arg<AudioUnitParameterID>(p, 0), Arg<AudioUnitScope>(p, 1),
                                   Arg<AudioUnitElement>(p, 2), Arg<AudioUnitParameterValue*>(p, 3));
  }

  static OSStatus SetParameter(IModuleAU& plug, const ComponentParameters& p) {
    return IModuleAU::SetParamProc(&plug, Arg<AudioUnitParameterID>(p, 0), Arg<AudioUnitScope>(p, 1),
                                   Arg<AudioUnitElement>(p, 2), Arg<AudioUnitParameterValue>(p, 3), Arg<UInt32>(p, 4));
  }

  static OSStatus Reset(IModuleAU& plug, const ComponentParameters&) {
    plug.Reset();
    return noErr;
  }

  static OSStatus AddPropertyListener(IModuleAU& plug, const ComponentParameters& p) {
    IModuleAU::ListenerEntry entry{Arg<AudioUnitPropertyID>(p, 0), Arg<AudioUnitPropertyListenerProc>(p, 1),
                                   Arg<void*>(p, 2)};
    if (!entry.mListenerProc) return paramErr;  // it would be called on the next set
    auto same = [&](const IModuleAU::ListenerEntry& e) {
      return e.mPropID == entry.mPropID && e.mListenerProc == entry.mListenerProc;
    };
    auto& listeners = plug.mPropertyListeners;
    if (std::none_of(listeners.begin(), listeners.end(), same)) listeners.push_back(entry);
    return noErr;
  }

  static OSStatus RemovePropertyListener(IModuleAU& plug, const ComponentParameters& p) {
    const auto propID = Arg<AudioUnitPropertyID>(p, 0);
    const auto proc = Arg<AudioUnitPropertyListenerProc>(p, 1);
    const bool withUserData = p.what == kAudioUnitRemovePropertyListenerWithUserDataSelect;
    void* userData = Arg<void*>(p, 2);
    auto& listeners = plug.mPropertyListeners;
    auto found = std::find_if(listeners.begin(), listeners.end(), [&](const IModuleAU::ListenerEntry& e) {
      return e.mPropID == propID && e.mListenerProc == proc && (!withUserData || e.mProcArgs == userData);
    });
    if (found != listeners.end()) listeners.erase(found);
    return noErr;
  }

  static OSStatus Render(IModuleAU& plug, const ComponentParameters& p) {
    return IModuleAU::RenderProc(&plug, Arg<AudioUnitRenderActionFlags*>(p, 0), Arg<const AudioTimeStamp*>(p, 1),
                                 Arg<UInt32>(p, 2), Arg<UInt32>(p, 3), Arg<AudioBufferList*>(p, 4));
  }

  static OSStatus AddRenderNotify(IModuleAU& plug, const ComponentParameters& p) {
    const auto proc = Arg<AURenderCallback>(p, 0);
    if (!proc) return paramErr;  // it would be called on the next render
    plug.mRenderNotify.push_back({proc, Arg<void*>(p, 1)});
    return noErr;
  }

  static OSStatus RemoveRenderNotify(IModuleAU& plug, const ComponentParameters& p) {
    const auto proc = Arg<AURenderCallback>(p, 0);
    auto& notify = plug.mRenderNotify;
    auto found = std::find_if(notify.begin(), notify.end(),
                              [&](const IModuleAU::RenderNotifyEntry& e) { return e.mFunc == proc; });
    if (found != notify.end()) notify.erase(found);
    return noErr;
  }

  static OSStatus ScheduleParameters(IModuleAU& plug, const ComponentParameters& p) {
    const auto* events = Arg<const AudioUnitParameterEvent*>(p, 0);
    const auto count = Arg<UInt32>(p, 1);
    if (!events && count > 0) return paramErr;
    for (UInt32 i = 0; i < count; ++i) {
      const AudioUnitParameterEvent& e = events[i];
      if (e.eventType != kParameterEvent_Immediate) continue;
      OSStatus result = IModuleAU::SetParamProc(&plug, e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                                                e.eventValues.immediate.bufferOffset);
      if (result != noErr) return result;
    }
    return noErr;
  }

  static OSStatus MIDIEvent(IModuleAU& plug, const ComponentParameters& p) {
    IMidiMsg msg(Arg<SInt32>(p, 3), Arg<UInt8>(p, 0), Arg<UInt8>(p, 1), Arg<UInt8>(p, 2));
    plug.ProcessMidiMsg(&msg, false);
    return noErr;
  }

  static OSStatus SysEx(IModuleAU& plug, const ComponentParameters& p) {
    const auto* bytes = Arg<const UInt8*>(p, 0);
    const auto length = Arg<UInt32>(p, 1);
    if ((!bytes && length > 0) || length > UInt32(INT32_MAX)) return paramErr;
    ISysEx sysex(0, bytes, SInt32(length));
    plug.ProcessSysEx(&sysex, false);
    return noErr;
  }

  // Preparing and releasing instruments and stopping notes: nothing to do.
  static OSStatus Accept(IModuleAU&, const ComponentParameters&) { return noErr; }

  static OSStatus StartNote(IModuleAU&, const ComponentParameters& p) {
    auto* noteID = Arg<NoteInstanceID*>(p, 2);
    const auto* note = Arg<const MusicDeviceNoteParams*>(p, 4);
    if (noteID && note && std::isfinite(note->mPitch) && note->mPitch >= 0 && note->mPitch < 4294967296.0f)
      *noteID = NoteInstanceID(note->mPitch);
    return noErr;
  }

  static Handler Find(SInt16 selector) {
    static const struct {
      SInt16 selector;
      Handler handle;
    } kSelectors[] = {
        {kComponentVersionSelect, Version},
        {kComponentCanDoSelect, CanDoSelector},
        {kAudioUnitInitializeSelect, Initialize},
        {kAudioUnitUninitializeSelect, Uninitialize},
        {kAudioUnitGetPropertyInfoSelect, GetPropertyInfo},
        {kAudioUnitGetPropertySelect, GetProperty},
        {kAudioUnitSetPropertySelect, SetProperty},
        {kAudioUnitGetParameterSelect, GetParameter},
        {kAudioUnitSetParameterSelect, SetParameter},
        {kAudioUnitResetSelect, Reset},
        {kAudioUnitAddPropertyListenerSelect, AddPropertyListener},
        {kAudioUnitRemovePropertyListenerSelect, RemovePropertyListener},
        {kAudioUnitRemovePropertyListenerWithUserDataSelect, RemovePropertyListener},
        {kAudioUnitRenderSelect, Render},
        {kAudioUnitAddRenderNotifySelect, AddRenderNotify},
        {kAudioUnitRemoveRenderNotifySelect, RemoveRenderNotify},
        {kAudioUnitScheduleParametersSelect, ScheduleParameters},
        {kMusicDeviceMIDIEventSelect, MIDIEvent},
        {kMusicDeviceSysExSelect, SysEx},
        {kMusicDevicePrepareInstrumentSelect, Accept},
        {kMusicDeviceReleaseInstrumentSelect, Accept},
        {kMusicDeviceStopNoteSelect, Accept},
        {kMusicDeviceStartNoteSelect, StartNote},
    };
    for (const auto& entry : kSelectors)
      if (entry.selector == selector) return entry.handle;
    return nullptr;
  }
};

OSStatus IModuleAU::DispatchSelector(const ComponentParameters& p) {
  AUSelectors::Handler handle = AUSelectors::Find(p.what);
  return handle ? handle(*this, p) : badComponentSelector;
}

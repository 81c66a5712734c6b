// The host state dictionary (class info): component identity, preset name and
// the plug-in's state chunk.

#include "Framework/IModuleAU.h"
#include "Framework/aupresets/AUDictionary.h"

namespace {

constexpr int kStateNameSize = 64;

}  // namespace

OSStatus IModuleAU::GetState(CFPropertyListRef* state) {
  if (!state) return paramErr;
  ComponentDescription description;
  if (OSStatus r = GetComponentInfo(mCI, &description)) return SInt16(r);

  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  PutSInt32InDict(dict, "version", GetEffectVersion(false));
  PutSInt32InDict(dict, "type", SInt32(description.componentType));
  PutSInt32InDict(dict, "subtype", SInt32(description.componentSubType));
  PutSInt32InDict(dict, "manufacturer", SInt32(description.componentManufacturer));
  PutStrInDict(dict, "name", GetPresetName(GetCurrentPresetIdx()));

  ByteChunk chunk(4096);
  if (SerializeState(&chunk)) PutDataInDict(dict, "data", chunk);
  *state = dict;
  return noErr;
}

OSStatus IModuleAU::SetState(CFPropertyListRef state) {
  ComponentDescription description;
  if (OSStatus r = GetComponentInfo(mCI, &description)) return r;
  const OSStatus refused = kAudioUnitErr_InvalidPropertyValue;
  if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID()) return refused;
  auto dict = static_cast<CFDictionaryRef>(state);

  SInt32 version = 0, type = 0, subtype = 0, manufacturer = 0;
  if (!GetSInt32FromDict(dict, "version", &version) || !GetSInt32FromDict(dict, "type", &type) ||
      !GetSInt32FromDict(dict, "subtype", &subtype) || !GetSInt32FromDict(dict, "manufacturer", &manufacturer))
    return refused;
  char name[kStateNameSize];
  if (!GetStrFromDict(dict, "name", name, sizeof name)) return refused;
  if (OSType(type) != description.componentType || OSType(subtype) != description.componentSubType ||
      OSType(manufacturer) != description.componentManufacturer)
    return refused;

  // The named preset is selected even when the chunk then turns out to be missing.
  RestorePreset(name);
  ByteChunk chunk(4096);
  if (!GetDataFromDict(dict, "data", &chunk)) return refused;
  // 0 (refused) and -1 (ended early) both leave the chunk unapplied.
  if (UnserializeState(&chunk, 0) <= 0) return refused;
  RedrawParamControls();
  return noErr;
}

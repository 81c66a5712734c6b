#include "Framework/aupresets/CFAUPreset.h"

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name) {
  auto* preset = static_cast<CFAUPresetRef>(CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0));
  if (!preset) return nullptr;
  preset->auPreset.presetNumber = number;
  preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->version = 0;
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset) {
  if (!preset) return nullptr;
  if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
  ++preset->retainCount;
  return preset;
}

void CFAUPresetRelease(CFAUPresetRef preset) {
  if (!preset || preset->retainCount <= 0) return;
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount > 0) return;
  preset->auPreset.presetNumber = 0;
  preset->auPreset.presetName = nullptr;
  CFAllocatorDeallocate(preset->allocator, preset);
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef, const void* preset) {
  return CFAUPresetRetain(const_cast<CFAUPresetRef>(static_cast<const CFAUPreset*>(preset)));
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef, const void* preset) {
  CFAUPresetRelease(const_cast<CFAUPresetRef>(static_cast<const CFAUPreset*>(preset)));
}

Boolean CFAUPresetArrayEqualCallBack(const void* a, const void* b) {
  auto* x = static_cast<const CFAUPreset*>(a);
  auto* y = static_cast<const CFAUPreset*>(b);
  if (!x || !y) return x == y;
  if (x->auPreset.presetNumber != y->auPreset.presetNumber) return false;
  CFStringRef m = x->auPreset.presetName;
  CFStringRef n = y->auPreset.presetName;
  if (!m || !n) return m == n;
  return CFStringCompare(m, n, 0) == kCFCompareEqualTo;
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset) {
  auto* p = static_cast<const CFAUPreset*>(preset);
  if (!p) return nullptr;
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  int(p->auPreset.presetNumber), p->auPreset.presetName);
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks) {
  if (!callBacks) return;
  callBacks->version = 0;
  callBacks->retain = CFAUPresetArrayRetainCallBack;
  callBacks->release = CFAUPresetArrayReleaseCallBack;
  callBacks->copyDescription = CFAUPresetArrayCopyDescriptionCallBack;
  callBacks->equal = CFAUPresetArrayEqualCallBack;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack,
                                                    CFAUPresetArrayCopyDescriptionCallBack,
                                                    CFAUPresetArrayEqualCallBack};

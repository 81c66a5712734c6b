#pragma once
// The reference-counted factory-preset record that property 24 returns in an
// array. Its first two fields form an AUPreset, so a host reads the array's
// values as AUPreset pointers.
//
// threads: main (the count is not atomic, like the array that holds it)

#include "AudioUnitAPI.h"

struct CFAUPreset {
  AUPreset auPreset;  // number and a private copy of the name (may be null)
  UInt32 version;     // 0
  CFAllocatorRef allocator;
  CFIndex retainCount;
};
using CFAUPresetRef = CFAUPreset*;

// Null when the record cannot be allocated.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name);
CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset);
void CFAUPresetRelease(CFAUPresetRef preset);

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset);
Boolean CFAUPresetArrayEqualCallBack(const void* a, const void* b);
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset);

extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks);

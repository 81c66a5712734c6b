// Restores host state dictionaries built from fuzz bytes into the test plug-in
// through the component entry, as a host would. The identity keys are filled
// correctly often enough that the chunk reader is reached.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "AUTestPlug.h"
#include "AudioUnitAPI.h"

extern "C" ComponentResult Tavro_Entry(ComponentParameters* params, void* storage);

namespace {

const ComponentRecord kComponent{{kAudioUnitType_MusicDevice, FourCC("tvrq"), FourCC("Orv1"), 0, 0}, &Tavro_Entry};
const char* const kKeys[] = {"version", "type", "subtype", "manufacturer", "name", "data", "other"};

CFTypeRef MakeValue(FuzzedDataProvider& in, int depth);

CFTypeRef MakeContainer(FuzzedDataProvider& in, int depth, bool dictionary) {
  const int count = in.ConsumeIntegralInRange(0, 4);
  if (dictionary) {
    CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    for (int i = 0; i < count; ++i) {
      CFStringRef key = CFStringCreateWithCString(nullptr, in.ConsumeRandomLengthString(8).c_str(), 0);
      CFTypeRef value = MakeValue(in, depth + 1);
      CFDictionarySetValue(dict, key, value);
      CFRelease(key);
      CFRelease(value);
    }
    return dict;
  }
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (int i = 0; i < count; ++i) {
    CFTypeRef value = MakeValue(in, depth + 1);
    CFArrayAppendValue(array, value);
    CFRelease(value);
  }
  return array;
}

CFTypeRef MakeValue(FuzzedDataProvider& in, int depth) {
  switch (in.ConsumeIntegralInRange(0, depth < 3 ? 7 : 5)) {
    case 0: {
      SInt32 v = in.ConsumeIntegral<SInt32>();
      return CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
    }
    case 1: {
      SInt64 v = in.ConsumeIntegral<SInt64>();
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    }
    case 2: {
      Float64 v = in.ConsumeFloatingPoint<Float64>();
      return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
    }
    case 3: return CFStringCreateWithCString(nullptr, in.ConsumeRandomLengthString(300).c_str(), kCFStringEncodingUTF8);
    case 4: {
      std::vector<UInt8> bytes = in.ConsumeBytes<UInt8>(in.ConsumeIntegralInRange<size_t>(0, 512));
      return CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
    }
    case 5: return in.ConsumeBool() ? kCFBooleanTrue : kCFBooleanFalse;
    default: return MakeContainer(in, depth, in.ConsumeBool());
  }
}

void PutNumber(CFMutableDictionaryRef dict, const char* key, SInt32 v) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  CFDictionarySetValue(dict, k, n);
  CFRelease(n);
  CFRelease(k);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static ComponentInstance unit = [] {
    ComponentInstance opened = nullptr;
    OpenAComponent(&kComponent, &opened);
    return opened;
  }();

  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const UInt8 identity = in.ConsumeIntegral<UInt8>();
  if (identity & 1) PutNumber(dict, "version", 0x20200);
  if (identity & 2) PutNumber(dict, "type", SInt32(kAudioUnitType_MusicDevice));
  if (identity & 4) PutNumber(dict, "subtype", SInt32(FourCC("tvrq")));
  if (identity & 8) PutNumber(dict, "manufacturer", SInt32(FourCC("Orv1")));
  if (identity & 16) {
    // A chunk that starts like the plug-in's own.
    std::vector<UInt8> chunk = {0x54, 0x53, 0x56, 0x54};
    std::vector<UInt8> rest = in.ConsumeBytes<UInt8>(in.ConsumeIntegralInRange<size_t>(0, 96));
    chunk.insert(chunk.end(), rest.begin(), rest.end());
    CFDataRef bytes = CFDataCreate(nullptr, chunk.data(), CFIndex(chunk.size()));
    CFDictionarySetValue(dict, CFSTR("data"), bytes);
    CFRelease(bytes);
  }
  while (in.remaining_bytes() > 0) {
    const char* key = kKeys[in.ConsumeIntegralInRange<size_t>(0, sizeof kKeys / sizeof kKeys[0] - 1)];
    CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
    CFTypeRef value = MakeValue(in, 0);
    CFDictionarySetValue(dict, k, value);
    CFRelease(value);
    CFRelease(k);
  }
  CFTypeRef state = dict;
  const OSStatus result =
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
  if (result != noErr && result != kAudioUnitErr_InvalidPropertyValue) __builtin_trap();

  // Whatever was restored must save again.
  CFPropertyListRef saved = nullptr;
  UInt32 savedSize = sizeof saved;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved, &savedSize) != noErr)
    __builtin_trap();
  CFRelease(saved);
  CFRelease(dict);
  return 0;
}

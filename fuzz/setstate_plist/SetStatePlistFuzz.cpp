// Reads fuzz bytes as a host state file (XML property list) and, when they
// make a dictionary, restores it into the test plug-in through its entry.
// Whatever reads back must write and read again to an equal tree.

#include <cstdint>

#include "AudioUnitAPI.h"

extern "C" ComponentResult Tavro_Entry(ComponentParameters* params, void* storage);

namespace {

const ComponentRecord kComponent{{kAudioUnitType_MusicDevice, FourCC("tvrq"), FourCC("Orv1"), 0, 0}, &Tavro_Entry};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ComponentInstance unit = [] {
    ComponentInstance opened = nullptr;
    OpenAComponent(&kComponent, &opened);
    return opened;
  }();
  CFDataRef bytes = CFDataCreate(nullptr, data, CFIndex(size));
  CFErrorRef error = nullptr;
  CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, bytes, 0, nullptr, &error);
  CFRelease(bytes);
  if (!list) {
    if (!error) __builtin_trap();  // a refusal always says why
    CFRelease(error);
    return 0;
  }
  CFDataRef again = CFPropertyListCreateData(nullptr, list, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!again) __builtin_trap();
  CFPropertyListRef reread = CFPropertyListCreateWithData(nullptr, again, 0, nullptr, nullptr);
  if (!reread || !CFEqual(list, reread)) __builtin_trap();
  CFRelease(reread);
  CFRelease(again);

  if (CFGetTypeID(list) == CFDictionaryGetTypeID()) {
    const OSStatus result =
        AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, sizeof list);
    if (result != noErr && result != kAudioUnitErr_InvalidPropertyValue) __builtin_trap();
  }
  CFRelease(list);
  return 0;
}

// The host state dictionary: save, restore into another instance, refusals.

#include <string>

#include "AUTestUnit.h"
#include "Framework/aupresets/AUDictionary.h"

namespace {

CFMutableDictionaryRef Save(AudioUnit unit) {
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof state;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  EXPECT_EQ(CFGetTypeID(state), CFDictionaryGetTypeID());
  return static_cast<CFMutableDictionaryRef>(const_cast<void*>(state));
}

OSStatus Restore(AudioUnit unit, CFTypeRef state) {
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
}

CFTypeRef Value(CFDictionaryRef dict, const char* key) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef v = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return v;
}

void Remove(CFMutableDictionaryRef dict, const char* key) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFDictionaryRemoveValue(dict, k);
  CFRelease(k);
}

SInt32 Number(CFDictionaryRef dict, const char* key) {
  SInt32 v = 0;
  EXPECT_TRUE(GetSInt32FromDict(dict, key, &v)) << key;
  return v;
}

TEST(HostState, DictionaryNamesTheComponentAndCarriesTheChunk) {
  AUTestUnit u;
  CFMutableDictionaryRef state = Save(u.unit);
  EXPECT_EQ(CFDictionaryGetCount(state), 6);
  EXPECT_EQ(Number(state, "version"), 0x20200);
  EXPECT_EQ(Number(state, "type"), SInt32(FourCC("aumu")));
  EXPECT_EQ(Number(state, "subtype"), SInt32(FourCC("tvrq")));
  EXPECT_EQ(Number(state, "manufacturer"), SInt32(FourCC("Orv1")));
  char name[8] = "x";
  EXPECT_TRUE(GetStrFromDict(state, "name", name, sizeof name));
  EXPECT_STREQ(name, "");
  ByteChunk chunk;
  ASSERT_TRUE(GetDataFromDict(state, "data", &chunk));
  int32_t magic = 0;
  EXPECT_EQ(chunk.GetInt32(&magic, 0), 4);
  EXPECT_EQ(magic, AUTestPlug::kChunkMagic);
  CFRelease(state);
}

TEST(HostState, SaveRestoreIntoASecondInstanceSaveAgainGivesIdenticalData) {
  AUTestUnit first, second;
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 12.5f, 0), noErr);
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kMode, kAudioUnitScope_Global, 0, 2.0f, 0), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(first.unit, 0x90, 1, 2, 0), noErr);
  CFMutableDictionaryRef saved = Save(first.unit);
  ASSERT_EQ(Restore(second.unit, saved), noErr);
  EXPECT_EQ(second.Plug()->GetParam(AUTestPlug::kGain)->Value(), 12.5);
  EXPECT_EQ(second.Plug()->GetParam(AUTestPlug::kMode)->Value(), 2.0);
  EXPECT_EQ(second.Plug()->GetParam(AUTestPlug::kMidiCount)->Value(), 1.0);
  CFMutableDictionaryRef again = Save(second.unit);
  EXPECT_TRUE(CFEqual(Value(saved, "data"), Value(again, "data")));
  EXPECT_TRUE(CFEqual(saved, again));
  CFRelease(saved);
  CFRelease(again);
}

TEST(HostState, ADifferentVersionWithTheSameIdentityRestores) {
  AUTestUnit first, second;
  CFMutableDictionaryRef state = Save(first.unit);
  PutSInt32InDict(state, "version", 0x10000);
  EXPECT_EQ(Restore(second.unit, state), noErr);
  CFRelease(state);
}

TEST(HostState, AnotherComponentsStateIsRefusedAndChangesNothing) {
  AUTestUnit first, second;
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 1.0f, 0), noErr);
  for (const char* key : {"type", "subtype", "manufacturer"}) {
    CFMutableDictionaryRef state = Save(first.unit);
    PutSInt32InDict(state, key, SInt32(FourCC("xxxx")));
    EXPECT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue) << key;
    EXPECT_EQ(second.Plug()->GetParam(AUTestPlug::kGain)->Value(), 50.0);
    CFRelease(state);
  }
}

TEST(HostState, EveryMissingKeyIsRefused) {
  AUTestUnit first, second;
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 1.0f, 0), noErr);
  for (const char* key : {"version", "type", "subtype", "manufacturer", "name", "data"}) {
    CFMutableDictionaryRef state = Save(first.unit);
    Remove(state, key);
    EXPECT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue) << key;
    EXPECT_EQ(second.Plug()->GetParam(AUTestPlug::kGain)->Value(), 50.0) << key;
    CFRelease(state);
  }
}

TEST(HostState, AValueOfTheWrongTypeIsRefused) {
  AUTestUnit first, second;
  for (const char* key : {"version", "type", "subtype", "manufacturer", "name", "data"}) {
    CFMutableDictionaryRef state = Save(first.unit);
    if (std::string(key) == "name" || std::string(key) == "data") {
      PutSInt32InDict(state, key, 7);
    } else {
      PutStrInDict(state, key, "aumu");
    }
    EXPECT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue) << key;
    CFRelease(state);
  }
  EXPECT_EQ(Restore(second.unit, CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  CFTypeRef none = nullptr;
  EXPECT_EQ(Restore(second.unit, none), kAudioUnitErr_InvalidPropertyValue);
  // A type number that is not a whole 32-bit value is a wrong type too.
  CFMutableDictionaryRef state = Save(first.unit);
  const SInt64 wide = SInt64(FourCC("aumu")) + (SInt64(1) << 32);
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &wide);
  CFDictionarySetValue(state, CFSTR("type"), number);
  CFRelease(number);
  EXPECT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(state);
}

TEST(HostState, ALongNameIsCutAndStillRestores) {
  AUTestUnit first, second;
  CFMutableDictionaryRef state = Save(first.unit);
  PutStrInDict(state, "name", std::string(300, 'p').c_str());
  EXPECT_EQ(Restore(second.unit, state), noErr);
  char name[64];
  EXPECT_TRUE(GetStrFromDict(state, "name", name, sizeof name));
  EXPECT_EQ(std::string(name), std::string(63, 'p'));
  CFRelease(state);
}

TEST(HostState, ARefusedOrShortChunkIsReportedAndChangesNothing) {
  AUTestUnit first, second;
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kGain, kAudioUnitScope_Global, 0, 12.5f, 0), noErr);
  ASSERT_EQ(AudioUnitSetParameter(first.unit, AUTestPlug::kMode, kAudioUnitScope_Global, 0, 2.0f, 0), noErr);
  ASSERT_EQ(MusicDeviceMIDIEvent(first.unit, 0x90, 1, 2, 0), noErr);
  CFMutableDictionaryRef state = Save(first.unit);
  ByteChunk chunk;
  ASSERT_TRUE(GetDataFromDict(state, "data", &chunk));
  CFMutableDictionaryRef before = Save(second.unit);

  ByteChunk wrongMagic;
  wrongMagic.PutInt32(1234);
  PutDataInDict(state, "data", wrongMagic);
  EXPECT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue);

  // Every cut after the magic: the host hears of the failure and the unit keeps its state.
  for (int cut = 4; cut < chunk.Size(); ++cut) {
    ByteChunk shortChunk;
    shortChunk.PutBytes(chunk.GetBytes(), cut);
    PutDataInDict(state, "data", shortChunk);
    ASSERT_EQ(Restore(second.unit, state), kAudioUnitErr_InvalidPropertyValue) << cut;
    CFMutableDictionaryRef after = Save(second.unit);
    ASSERT_TRUE(CFEqual(Value(before, "data"), Value(after, "data"))) << cut;
    CFRelease(after);
  }
  CFRelease(before);
  CFRelease(state);
}

TEST(HostState, DictionaryHelpersCutOnACharacterBoundary) {
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  PutStrInDict(dict, "name", "ab\xC3\xA9");  // "abé": the é takes two bytes
  char text[4];
  EXPECT_TRUE(GetStrFromDict(dict, "name", text, sizeof text));
  EXPECT_STREQ(text, "ab");
  EXPECT_FALSE(GetStrFromDict(dict, "missing", text, sizeof text));
  EXPECT_STREQ(text, "");
  ByteChunk chunk;
  chunk.PutInt32(5);
  EXPECT_FALSE(GetDataFromDict(dict, "name", &chunk));
  EXPECT_EQ(chunk.Size(), 4);
  CFRelease(dict);
}

}  // namespace

// The factory-preset record a host receives in the array of property 24: its
// count moves with the array's callbacks, its name is its own copy, and it
// describes and compares itself the way the array asks.

#include <string>

#include "AUTestUnit.h"
#include "CFTestText.h"
#include "Framework/aupresets/CFAUPreset.h"

namespace {

CFStringRef NewText(const char* text) { return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8); }

TEST(FactoryPreset, TheRecordKeepsItsOwnCopyOfTheName) {
  CFStringRef name = NewText("Strings");
  CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, 4, name);
  ASSERT_NE(preset, nullptr);
  EXPECT_EQ(preset->auPreset.presetNumber, 4);
  EXPECT_NE(preset->auPreset.presetName, name);
  EXPECT_EQ(Text(preset->auPreset.presetName), "Strings");
  EXPECT_EQ(preset->retainCount, 1);
  EXPECT_EQ(preset->version, 0u);
  CFRelease(name);  // the record's copy lives on
  EXPECT_EQ(Text(preset->auPreset.presetName), "Strings");
  CFAUPresetRelease(preset);

  CFAUPresetRef unnamed = CFAUPresetCreate(kCFAllocatorDefault, 0, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(unnamed->auPreset.presetName, nullptr);
  CFAUPresetRelease(unnamed);
}

TEST(FactoryPreset, TheArrayRetainsAndReleasesTheRecordAndItsName) {
  CFStringRef name = NewText("Pad");
  CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, 2, name);
  CFRelease(name);
  CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, 1, &kCFAUPresetArrayCallBacks);
  CFArrayAppendValue(presets, preset);
  EXPECT_EQ(preset->retainCount, 2);
  EXPECT_EQ(CFGetRetainCount(preset->auPreset.presetName), 2);
  CFAUPresetRelease(preset);  // as the property does: the array holds the only reference
  EXPECT_EQ(preset->retainCount, 1);
  EXPECT_EQ(CFGetRetainCount(preset->auPreset.presetName), 1);

  // A host reads the values as AUPreset records.
  const auto* seen = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(seen->presetNumber, 2);
  EXPECT_EQ(Text(seen->presetName), "Pad");
  CFRelease(presets);  // frees the record and its name (the sanitizer build checks both)
}

TEST(FactoryPreset, NullAndSpentRecordsAreLeftAlone) {
  EXPECT_EQ(CFAUPresetRetain(nullptr), nullptr);
  CFAUPresetRelease(nullptr);
  CFAUPreset spent{{7, nullptr}, 0, kCFAllocatorDefault, 0};
  CFAUPresetRelease(&spent);  // a count of 0 is not released again
  EXPECT_EQ(spent.retainCount, 0);
  EXPECT_EQ(spent.auPreset.presetNumber, 7);
}

TEST(FactoryPreset, EqualByNumberAndName) {
  CFStringRef abc = NewText("abc");
  CFStringRef abd = NewText("abd");
  CFAUPresetRef a = CFAUPresetCreate(nullptr, 1, abc);
  CFAUPresetRef same = CFAUPresetCreate(nullptr, 1, abc);
  CFAUPresetRef otherNumber = CFAUPresetCreate(nullptr, 2, abc);
  CFAUPresetRef otherName = CFAUPresetCreate(nullptr, 1, abd);
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(a, same));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, otherNumber));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, otherName));
  for (CFAUPresetRef p : {a, same, otherNumber, otherName}) CFAUPresetRelease(p);
  CFRelease(abc);
  CFRelease(abd);
}

TEST(FactoryPreset, DescriptionHasAHeadingANumberAndAName) {
  CFStringRef abc = NewText("abc");
  CFAUPresetRef preset = CFAUPresetCreate(nullptr, 3, abc);
  CFRelease(abc);
  CFStringRef description = CFAUPresetArrayCopyDescriptionCallBack(preset);
  const std::string text = Text(description);
  const size_t first = text.find('\n');
  const size_t second = text.find('\n', first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(text.find('\n', second + 1), std::string::npos);  // three lines
  EXPECT_EQ(text.substr(0, first), "AUPreset:");
  EXPECT_EQ(text.substr(first + 1, second - first - 1), "preset number = 3");
  EXPECT_EQ(text.substr(second + 1), "preset name = abc");
  CFRelease(description);
  CFAUPresetRelease(preset);
}

TEST(FactoryPreset, InitFillsAnyCallbackRecordWithThePresetCallbacks) {
  CFArrayCallBacks callbacks = {9, nullptr, nullptr, nullptr, nullptr};
  CFAUPresetArrayCallBacks_Init(&callbacks);
  EXPECT_EQ(callbacks.version, kCFAUPresetArrayCallBacks.version);
  EXPECT_EQ(callbacks.retain, kCFAUPresetArrayCallBacks.retain);
  EXPECT_EQ(callbacks.release, kCFAUPresetArrayCallBacks.release);
  EXPECT_EQ(callbacks.copyDescription, kCFAUPresetArrayCallBacks.copyDescription);
  EXPECT_EQ(callbacks.equal, kCFAUPresetArrayCallBacks.equal);
  EXPECT_EQ(callbacks.retain, &CFAUPresetArrayRetainCallBack);
  EXPECT_EQ(callbacks.release, &CFAUPresetArrayReleaseCallBack);
  CFAUPresetArrayCallBacks_Init(nullptr);
}

}  // namespace
